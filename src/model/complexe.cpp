// SPDX-License-Identifier: GPL-3.0-or-later
#include "complexe.h"

#include "floaterror.h"

#include <cmath>

namespace kelvoran {

namespace {
constexpr long double kPi = 3.141592653589793238462643383279502884L;

double sum(double a, double b) { return checkFinite(a + b); }
} // namespace

TComplexe cmake(double re, double im) { return {re, im}; }

double cmodule(TComplexe z)
{
    const long double re = z.re;
    const long double im = z.im;
    return toDouble(std::sqrt(re * re + im * im));
}

double cargument(TComplexe z)
{
    // A ratio too large for a double saturates the arctangent at +-pi/2,
    // the value the exact quotient gives.
    if (z.re > 0)
        return std::atan(z.im / z.re);
    if (z.re < 0)
        return static_cast<double>(std::atan(z.im / z.re) + kPi);
    if (z.im > 0)
        return static_cast<double>(kPi / 2);
    if (z.im < 0)
        return static_cast<double>(-kPi / 2);
    return 0.0;
}

TComplexe cconj(TComplexe z) { return {z.re, -z.im}; }

TComplexe cadd(TComplexe a, TComplexe b) { return {sum(a.re, b.re), sum(a.im, b.im)}; }

TComplexe csub(TComplexe a, TComplexe b) { return {sum(a.re, -b.re), sum(a.im, -b.im)}; }

TComplexe cmul(TComplexe a, TComplexe b)
{
    const long double ar = a.re, ai = a.im, br = b.re, bi = b.im;
    return {toDouble(ar * br - ai * bi), toDouble(ai * br + bi * ar)};
}

TComplexe cdiv(TComplexe a, TComplexe b)
{
    const TComplexe p = cmul(a, cconj(b));
    const long double m = cmodule(b);
    const long double mm = m * m;
    return {toDouble(checkedDivL(p.re, mm)), toDouble(checkedDivL(p.im, mm))};
}

} // namespace kelvoran
