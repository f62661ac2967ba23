// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Complex phasor arithmetic. Squares and products are formed in long double
// (80-bit here) and rounded to double on store, so rounding-noise results
// match the reference design's; overflow on store raises FloatError.
namespace kelvoran {

struct TComplexe {
    double re;
    double im;
};

TComplexe cmake(double re, double im);
double cmodule(TComplexe z);
// Range [-pi/2, 3pi/2); the argument of 0 + 0j is 0.
double cargument(TComplexe z);
TComplexe cconj(TComplexe z);
TComplexe cadd(TComplexe a, TComplexe b);
TComplexe csub(TComplexe a, TComplexe b);
TComplexe cmul(TComplexe a, TComplexe b);
// Division by 0 + 0j raises FloatError(InvalidOperation).
TComplexe cdiv(TComplexe a, TComplexe b);

} // namespace kelvoran
