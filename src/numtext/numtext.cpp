// SPDX-License-Identifier: GPL-3.0-or-later
#include "numtext.h"

#include "model/floaterror.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace kelvoran {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The integer formed by the digits of [a1, e1) followed by those of [a2, e2).
double digitsAsInteger(const char* a1, const char* e1, const char* a2, const char* e2)
{
    std::string digits;
    digits.reserve(static_cast<std::size_t>((e1 - a1) + (e2 - a2)));
    for (const char* p = a1; p != e1; ++p)
        if (!digits.empty() || *p != '0')
            digits.push_back(*p);
    for (const char* p = a2; p != e2; ++p)
        if (!digits.empty() || *p != '0')
            digits.push_back(*p);
    if (digits.empty())
        return 0.0;
    if (digits.size() <= 19) {
        std::uint64_t n = 0;
        for (char c : digits)
            n = n * 10 + static_cast<std::uint64_t>(c - '0');
        return static_cast<double>(n);
    }
    // More than 309 significant digits is at least 1E309, beyond any double.
    if (digits.size() > 309)
        raiseFloatError(FloatError::Kind::Overflow);
    double v = 0.0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (res.ec != std::errc())
        raiseFloatError(FloatError::Kind::Overflow);
    return v;
}

// Decimal order of magnitude of the first nonzero mantissa digit, with the
// exponent applied; only asked for when the value is nonzero.
long long decimalMagnitude(const char* intBegin, const char* intEnd, const char* fracBegin,
                           const char* fracEnd, long long exponent)
{
    for (const char* p = intBegin; p != intEnd; ++p)
        if (*p != '0')
            return (intEnd - p - 1) + exponent;
    for (const char* p = fracBegin; p != fracEnd; ++p)
        if (*p != '0')
            return -(p - fracBegin + 1) + exponent;
    return exponent;
}

constexpr std::uint64_t kPow5[] = {1ULL,
                                   5ULL,
                                   25ULL,
                                   125ULL,
                                   625ULL,
                                   3125ULL,
                                   15625ULL,
                                   78125ULL,
                                   390625ULL,
                                   1953125ULL,
                                   9765625ULL,
                                   48828125ULL,
                                   244140625ULL,
                                   1220703125ULL,
                                   6103515625ULL,
                                   30517578125ULL,
                                   152587890625ULL,
                                   762939453125ULL,
                                   3814697265625ULL};

// True when ax (positive) is exactly n * 10^p, n a four-digit integer ending
// in 5: the one case where the three-digit rounding is a tie. Such a value
// is a double only when its odd part n * 5^p (or n / 5^-p) is small enough.
bool isExactTie(double ax, std::uint64_t n, int p)
{
    if (p >= 0) {
        if (p > 18)
            return false;
        const std::uint64_t odd = n * kPow5[p];
        if (odd > (1ULL << 53))
            return false;
        return ax == std::ldexp(static_cast<double>(odd), p);
    }
    if (p < -5 || n % kPow5[-p] != 0)
        return false;
    return ax == std::ldexp(static_cast<double>(n / kPow5[-p]), p);
}

// Parses the digits of the exponent written by to_chars ("e+05", "e-324").
int exponentOf(const char* e, const char* end)
{
    const bool negative = e[1] == '-';
    int v = 0;
    for (const char* p = e + 2; p != end; ++p)
        v = v * 10 + (*p - '0');
    return negative ? -v : v;
}

// The 11-character exponent text " d.ddE+dddd" of x: three significant
// digits, rounded on the exact binary value with ties away from zero.
void exponentText(double x, char out[11])
{
    const double ax = std::fabs(x);
    out[0] = std::signbit(x) ? '-' : ' ';
    int mantissa = 0; // three digits, 100..999 (0 for zero)
    int exponent = 0;
    if (ax != 0.0) {
        // Four significant digits, rounded half-even on the exact value.
        char buf[32];
        const auto r = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, 3);
        const int d4 = buf[4] - '0';
        mantissa = (buf[0] - '0') * 100 + (buf[2] - '0') * 10 + (buf[3] - '0');
        exponent = exponentOf(buf + 5, r.ptr);
        bool up = d4 > 5;
        if (d4 == 5) {
            // The fourth digit may itself be rounded: either the value is an
            // exact tie, or only a direct three-digit rounding can tell.
            if (isExactTie(ax, static_cast<std::uint64_t>(mantissa * 10 + 5), exponent - 3)) {
                up = true;
            } else {
                const auto r2 = std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, 2);
                mantissa = (buf[0] - '0') * 100 + (buf[2] - '0') * 10 + (buf[3] - '0');
                exponent = exponentOf(buf + 4, r2.ptr);
            }
        }
        if (up && ++mantissa == 1000) {
            mantissa = 100;
            ++exponent;
        }
    }
    out[1] = static_cast<char>('0' + mantissa / 100);
    out[2] = '.';
    out[3] = static_cast<char>('0' + mantissa / 10 % 10);
    out[4] = static_cast<char>('0' + mantissa % 10);
    out[5] = 'E';
    out[6] = exponent < 0 ? '-' : '+';
    const int ae = exponent < 0 ? -exponent : exponent;
    out[7] = static_cast<char>('0' + ae / 1000 % 10);
    out[8] = static_cast<char>('0' + ae / 100 % 10);
    out[9] = static_cast<char>('0' + ae / 10 % 10);
    out[10] = static_cast<char>('0' + ae % 10);
}

// ax * 10000 rounded to an integer, ties away from zero, decided on the
// exact product: ax = m * 2^e with an integer m of at most 53 bits, so
// m * 10000 fits in 67 bits and the fraction is the bits shifted out.
// For 0 <= ax < 1000 only.
std::uint64_t roundedTenThousandths(double ax)
{
    const auto bits = std::bit_cast<std::uint64_t>(ax);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int shift = 1075 - (biased == 0 ? 1 : biased); // ax < 1000 gives shift >= 42
    if (shift >= 128)
        return 0; // below 2^-60 ten-thousandths
    const unsigned __int128 product = static_cast<unsigned __int128>(m) * 10000u;
    std::uint64_t n = static_cast<std::uint64_t>(product >> shift);
    const unsigned __int128 rest = product & ((static_cast<unsigned __int128>(1) << shift) - 1);
    if (rest >= (static_cast<unsigned __int128>(1) << (shift - 1)))
        ++n;
    return n;
}

} // namespace

double parseNumber(std::string_view text)
{
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end && *p == ' ')
        ++p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    const char* const intBegin = p;
    while (p != end && isDigit(*p))
        ++p;
    const char* const intEnd = p;
    const char* fracBegin = p;
    const char* fracEnd = p;
    if (p != end && *p == '.') {
        fracBegin = ++p;
        while (p != end && isDigit(*p))
            ++p;
        fracEnd = p;
    }
    bool wellFormed = true;
    long long exponent = 0;
    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool expNegative = false;
        if (p != end && (*p == '+' || *p == '-')) {
            expNegative = *p == '-';
            ++p;
        }
        const char* const expBegin = p;
        while (p != end && isDigit(*p)) {
            // Saturates: only the order of magnitude matters past this.
            if (exponent < 1000000000)
                exponent = exponent * 10 + (*p - '0');
            ++p;
        }
        wellFormed = p != expBegin;
        if (expNegative)
            exponent = -exponent;
    }
    if (p != end)
        wellFormed = false;

    if (!wellFormed)
        return digitsAsInteger(intBegin, intEnd, fracBegin, fracEnd);
    if (intBegin == intEnd && fracBegin == fracEnd)
        return 0.0;

    // from_chars takes a '-' but not a '+'.
    const char* const first = negative ? intBegin - 1 : intBegin;
    double v = 0.0;
    const auto res = std::from_chars(first, end, v, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        if (decimalMagnitude(intBegin, intEnd, fracBegin, fracEnd, exponent) >= 0)
            raiseFloatError(FloatError::Kind::Overflow);
        return negative ? -0.0 : 0.0;
    }
    if (res.ec != std::errc() || !std::isfinite(v))
        raiseFloatError(FloatError::Kind::Overflow);
    return v;
}

std::string formatExponent(std::string_view e)
{
    // Only the 11-character layout has positions to trim.
    if (e.size() != 11)
        return std::string(e);
    // at(k) is the character at position k, counted from 1.
    auto at = [&e](int k) { return e[static_cast<std::size_t>(k - 1)]; };
    if (at(2) == '0')
        return "0";
    bool keep[12];
    for (bool& k : keep)
        k = true;
    if (at(5) == '0') {
        keep[5] = false;
        if (at(4) == '0')
            keep[3] = keep[4] = false;
    }
    if (at(7) == '+')
        keep[7] = false;
    if (at(8) == '0' && at(9) == '0' && at(10) == '0' && at(11) == '0')
        for (int k = 6; k <= 11; ++k)
            keep[k] = false;
    if (at(8) == '0') {
        keep[8] = false;
        if (at(9) == '0') {
            keep[9] = false;
            if (at(10) == '0')
                keep[10] = false;
        }
    }
    std::string out;
    out.reserve(11);
    for (int k = 1; k <= 11; ++k)
        if (keep[k])
            out.push_back(at(k));
    return out;
}

std::string formatNumber(double x)
{
    // An infinity or a NaN has no text: it is the overflow (or invalid
    // operation) that produced it.
    checkFinite(x);
    const double ax = std::fabs(x);
    if (ax < 1000.0) {
        std::uint64_t n = roundedTenThousandths(ax);
        // 0.01 <= n / 10000 <= 400 stays in fixed notation.
        if (n >= 100 && n <= 4000000) {
            const unsigned whole = static_cast<unsigned>(n / 10000);
            unsigned decimals = static_cast<unsigned>(n % 10000);
            char buf[16];
            char* q = buf;
            if (std::signbit(x))
                *q++ = '-';
            if (whole != 0 || std::signbit(x))
                q = std::to_chars(q, buf + sizeof buf, whole).ptr;
            if (decimals != 0) {
                *q++ = '.';
                unsigned divisor = 1000;
                while (decimals != 0) {
                    *q++ = static_cast<char>('0' + decimals / divisor);
                    decimals %= divisor;
                    divisor /= 10;
                }
            }
            return std::string(buf, q);
        }
    }
    if (ax == 0.0)
        return "0";
    char e[11];
    exponentText(x, e);
    return formatExponent(std::string_view(e, 11));
}

namespace {
std::string joined(const std::string& a, std::string_view separator, const std::string& b)
{
    std::string out;
    out.reserve(a.size() + separator.size() + b.size());
    out += a;
    out += separator;
    out += b;
    return out;
}
} // namespace

std::string formatAlgebraic(TComplexe z, std::string_view separator)
{
    return joined(formatNumber(z.re), separator, formatNumber(z.im));
}

std::string formatPolar(TComplexe z, std::string_view separator)
{
    return joined(formatNumber(cmodule(z)), separator, formatNumber(cargument(z)));
}

} // namespace kelvoran
