// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Arithmetic errors. The program never lets the FPU produce an infinity or a
// NaN: every operation that a trapping FPU would stop raises FloatError
// instead; the user-interface handler it ends shows its French text.
#include <cmath>
#include <stdexcept>
#include <string>

namespace kelvoran {

class FloatError : public std::runtime_error {
public:
    enum class Kind { InvalidOperation, DivisionByZero, Overflow };

    explicit FloatError(Kind kind);
    Kind kind() const noexcept { return kind_; }
    // The French message shown to the user (UTF-8).
    static const char* messageFor(Kind kind) noexcept;

private:
    Kind kind_;
};

// The one way the program raises it.
[[noreturn]] void raiseFloatError(FloatError::Kind kind);

// Checked scalar helpers: they raise where a trapping FPU would.
// x / 0 with x != 0 is a division by zero, 0 / 0 an invalid operation,
// an infinite result from finite operands an overflow.
double checkedDiv(double a, double b);
long double checkedDivL(long double a, long double b);

// Raises Overflow when v is infinite, InvalidOperation when v is NaN.
// Inline: the solver and the diagram call these on every operation.
inline double checkFinite(double v)
{
    if (!std::isfinite(v)) [[unlikely]]
        raiseFloatError(std::isnan(v) ? FloatError::Kind::InvalidOperation : FloatError::Kind::Overflow);
    return v;
}

// Rounds a wide intermediate to double, raising Overflow if it does not fit.
inline double toDouble(long double v)
{
    if (std::isnan(v)) [[unlikely]]
        raiseFloatError(FloatError::Kind::InvalidOperation);
    const double d = static_cast<double>(v);
    if (std::isinf(d)) [[unlikely]]
        raiseFloatError(FloatError::Kind::Overflow);
    return d;
}

} // namespace kelvoran
