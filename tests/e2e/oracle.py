# SPDX-License-Identifier: GPL-3.0-or-later
"""Independent oracle for the end-to-end tests.

Recomputes an installation with exact rational arithmetic, rounding where the
program rounds (products and squares to the 64-bit x87 significand, stored
values to double), and writes the 62-line report from the layout alone, so a
line that differs points at the program, not at this script.
"""
from decimal import Decimal, ROUND_HALF_UP, getcontext
from fractions import Fraction
import math

LD_BITS = 64
getcontext().prec = 1200  # every double's exact decimal value fits


def _round_bits(q: Fraction, bits: int) -> Fraction:
    """Round a rational to `bits` significant bits, ties to even."""
    if q == 0:
        return Fraction(0)
    sign = -1 if q < 0 else 1
    q = abs(q)
    e = q.numerator.bit_length() - q.denominator.bit_length()
    if Fraction(2) ** e > q:
        e -= 1
    scale = Fraction(2) ** (bits - 1 - e)
    scaled = q * scale
    n = scaled.numerator // scaled.denominator
    rest = scaled - n
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and n % 2 == 1):
        n += 1
    return sign * Fraction(n) / scale


def ld(q: Fraction) -> Fraction:
    return _round_bits(Fraction(q), LD_BITS)


def dbl(q: Fraction) -> float:
    return float(Fraction(q))  # correctly rounded, ties to even


def ld_sqrt(q: Fraction) -> Fraction:
    """Square root correctly rounded to the 64-bit significand."""
    if q == 0:
        return Fraction(0)
    # Enough exact bits first, then one final rounding.
    shift = 200
    n = q.numerator * (1 << (2 * shift)) // q.denominator
    r = math.isqrt(n)
    # r / 2^shift is within 2^-shift of the root; a sticky bit keeps the rounding honest.
    approx = Fraction(r, 1 << shift)
    if r * r != n or q.numerator * (1 << (2 * shift)) % q.denominator:
        approx += Fraction(1, 1 << (shift + 2))
    return ld(approx)


class C:
    __slots__ = ("re", "im")

    def __init__(self, re: float, im: float):
        self.re = float(re)
        self.im = float(im)


def cadd(a, b):
    return C(a.re + b.re, a.im + b.im)


def csub(a, b):
    return C(a.re - b.re, a.im - b.im)


def cmul(a, b):
    F = Fraction
    re = ld(ld(F(a.re) * F(b.re)) - ld(F(a.im) * F(b.im)))
    im = ld(ld(F(a.im) * F(b.re)) + ld(F(b.im) * F(a.re)))
    return C(dbl(re), dbl(im))


def cmodule(z):
    F = Fraction
    return dbl(ld_sqrt(ld(ld(F(z.re) ** 2) + ld(F(z.im) ** 2))))


def cargument(z):
    if z.re > 0:
        return math.atan(z.im / z.re)
    if z.re < 0:
        return dbl(Fraction(math.atan(z.im / z.re)) + Fraction(math.pi))
    if z.im > 0:
        return math.pi / 2
    if z.im < 0:
        return -math.pi / 2
    return 0.0


def cdiv(a, b):
    p = cmul(a, C(b.re, -b.im))
    m = Fraction(cmodule(b))
    mm = ld(m * m)
    if mm == 0:
        raise ZeroDivisionError("invalid operation")
    return C(dbl(ld(Fraction(p.re) / mm)), dbl(ld(Fraction(p.im) / mm)))


# ---- number text ----------------------------------------------------------

def fmt(x: float) -> str:
    d = Decimal(x)  # the exact value of the double
    negative = math.copysign(1.0, x) < 0
    q = d.quantize(Decimal("0.0001"), rounding=ROUND_HALF_UP)  # ties away from zero
    v = abs(q)
    if v > 400 or v < Decimal("0.01"):
        if x == 0:
            return "0"
        e = d.adjusted()
        m = abs(d).scaleb(-e).quantize(Decimal("0.01"), rounding=ROUND_HALF_UP)
        if m >= 10:
            e += 1
            m = (m / 10).quantize(Decimal("0.01"), rounding=ROUND_HALF_UP)
        mant = f"{m:.2f}".rstrip("0").rstrip(".")
        return ("-" if negative else " ") + mant + ("" if e == 0 else f"E{e}")
    text = f"{abs(q):.4f}".rstrip("0")
    if text.endswith("."):
        text = text[:-1]
    if not negative:
        text = text.lstrip("0")
    else:
        text = "-" + text
    return text if text else "0"


# ---- installation ---------------------------------------------------------

def parse(text: str) -> float:
    """The field texts used by the tests, with the fallback for malformed ones."""
    import re
    if re.fullmatch(r" *[+-]?\d*(\.\d*)?([eE][+-]?\d+)?", text):
        body = text.strip()
        if not any(ch.isdigit() for ch in body):
            return 0.0
        return float(body)
    digits = ""
    for ch in text:
        if ch.isdigit():
            digits += ch
        elif ch in " +-." and not digits and ch == " ":
            continue
        elif ch in "+-." or (ch in "eE" and digits):
            continue
        else:
            break
    return float(int(digits)) if digits else 0.0


def solve(fields, closed, neutral, veff=220.0):
    """fields: R1, R2, R3, X1, X2, X3 texts; closed: three booleans."""
    s = {}
    r3 = math.sqrt(3.0)
    vs = [C(veff, 0), C(-veff / 2, -veff * r3 / 2), C(-veff / 2, veff * r3 / 2)]
    a = C(-0.5, math.sqrt(3.0) / 2)
    z = [C(parse(fields[k]), parse(fields[k + 3])) for k in range(3)]
    shorted = [closed[k] and cmodule(z[k]) == 0 for k in range(3)]
    assert sum(shorted) == 0, "the oracle covers installations without a short circuit"
    if neutral or not any(closed):
        vn = C(0, 0)
    else:
        t = [cdiv(vs[k], z[k]) if closed[k] else C(0, 0) for k in range(3)]
        num = cadd(cadd(t[0], t[1]), t[2])
        t = [cdiv(C(1, 0), z[k]) if closed[k] else C(0, 0) for k in range(3)]
        vn = cdiv(num, cadd(cadd(t[0], t[1]), t[2]))
    i = [cdiv(csub(vs[k], vn), z[k]) if closed[k] else C(0, 0) for k in range(3)]
    if neutral:
        tot = cadd(cadd(i[0], i[1]), i[2])
        inn = C(-tot.re, -tot.im)
    else:
        inn = C(0, 0)
    vz = [cmul(i[k], z[k]) for k in range(3)]

    def third(w):
        return C(w.re / 3, w.im / 3)

    def comps(x):
        d = third(cadd(cadd(cmul(cmul(a, a), x[2]), cmul(x[1], a)), x[0]))
        inv = third(cadd(cadd(cmul(cmul(a, a), x[1]), cmul(x[2], a)), x[0]))
        zero = third(cadd(cadd(x[0], x[1]), x[2]))
        return d, inv, zero

    s.update(veff=veff, vs=vs, z=z, vn=vn, i=i, inn=inn, vz=vz)
    s["ud"], s["ui"], s["u0"] = comps(vz)
    s["id"], s["ii"], s["i0"] = comps(i)
    return s


def report(s) -> str:
    def alg(label, w, sep=" + j."):
        return label + fmt(w.re) + sep + fmt(w.im)

    def pol(label, w, sep=" ; "):
        return label + fmt(cmodule(w)) + sep + fmt(cargument(w))

    vs, z, i, vz = s["vs"], s["z"], s["i"], s["vz"]
    lines = ["Données", "", f"veff = {fmt(s['veff'])} V", "", "tensions simples : ", "forme algébrique"]
    lines += [alg(f"v{k + 1}complexe = ", vs[k]) for k in range(3)]
    lines += ["forme polaire"] + [pol(f"v{k + 1}complexe = ", vs[k]) for k in range(3)]
    lines += ["", "Impédances :"] + [alg(f"Z{k + 1}complexe = ", z[k], " j. ") for k in range(3)]
    lines += ["", alg("Vncomplexe = ", s["vn"], " j. "), pol("Vncomplexe = ", s["vn"]), ""]
    lines += [alg("Incomplexe = ", s["inn"], " j. "), pol("Incomplexe = ", s["inn"]), ""]
    lines += ["Courants en ligne: ", "forme algébrique"] + [alg(f"I{k + 1}complexe = ", i[k]) for k in range(3)]
    lines += ["forme polaire", pol("I1complexe = ", i[0]), pol("I2complexe = ", i[1]),
              pol("I3complexe = ", i[2], " ;"), ""]
    lines += ["tensions aux bornes de la charge : ", "forme algébrique"]
    lines += [alg(f"vz{k + 1}complexe = ", vz[k]) for k in range(3)]
    lines += ["forme polaire"] + [pol(f"vz{k + 1}complexe = ", vz[k]) for k in range(3)] + [""]
    lines += ["composantes symétriques des courants de ligne", "forme algébrique",
              alg("idcomplexe = ", s["id"]), alg("iicomplexe  = ", s["ii"]), alg("i0complexe  = ", s["i0"]), "",
              alg("udcomplexe  = ", s["ud"]), alg("uicomplexe  = ", s["ui"]), alg("u0complexe = ", s["u0"]),
              "forme polaire",
              pol("idcomplexe  = ", s["id"]), pol("iicomplexe  = ", s["ii"]), pol("i0complexe  = ", s["i0"]), "",
              pol("udcomplexe  = ", s["ud"]), pol("uicomplexe  = ", s["ui"]), pol("u0complexe = ", s["u0"], "; ")]
    assert len(lines) == 62
    return "".join(line + "\r\n" for line in lines)


def label_text(w, algebraic, alg_sep=" + j.", pol_sep=" ; "):
    if algebraic:
        return fmt(w.re) + alg_sep + fmt(w.im)
    return fmt(cmodule(w)) + pol_sep + fmt(cargument(w))
