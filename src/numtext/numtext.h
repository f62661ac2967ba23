// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Number text: the only place that turns text into numbers and numbers into
// text. Locale-independent: the decimal separator is always '.'.
#include "model/complexe.h"

#include <string>
#include <string_view>

namespace kelvoran {

// Well-formed text: blanks, optional sign, digits, optional '.' digits,
// optional exponent, end. Anything else falls back to the integer formed by
// the mantissa digits read before the offending character. A well-formed
// number beyond the double range raises FloatError(Overflow).
double parseNumber(std::string_view text);

// Compact text: fixed with up to four decimals for 0.01 <= |v| <= 400,
// otherwise three significant digits in exponent form (" 1.23E3"). An
// infinity raises FloatError(Overflow), a NaN FloatError(InvalidOperation).
std::string formatNumber(double x);

// Trims the 11-character exponent text (" 1.23E+0003") to its compact form.
std::string formatExponent(std::string_view e);

std::string formatAlgebraic(TComplexe z, std::string_view separator);
std::string formatPolar(TComplexe z, std::string_view separator);

} // namespace kelvoran
