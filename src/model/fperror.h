#pragma once
// Arithmetic errors. The program never lets the FPU produce an infinity or a
// NaN: every operation that a trapping FPU would stop raises FloatError
// instead, and the application's top-level handler shows its French text.
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

// Checked scalar helpers: they raise where a trapping FPU would.
// x / 0 with x != 0 is a division by zero, 0 / 0 an invalid operation,
// an infinite result from finite operands an overflow.
double checkedDiv(double a, double b);
long double checkedDivL(long double a, long double b);
// Rounds a wide intermediate to double, raising Overflow if it does not fit.
double toDouble(long double v);
// Raises Overflow when v is infinite, InvalidOperation when v is NaN.
double checkFinite(double v);

} // namespace kelvoran
