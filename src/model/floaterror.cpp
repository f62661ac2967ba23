// SPDX-License-Identifier: GPL-3.0-or-later
#include "floaterror.h"

#include <cfloat>
#include <cmath>

namespace kelvoran {

FloatError::FloatError(Kind kind) : std::runtime_error(messageFor(kind)), kind_(kind) {}

const char* FloatError::messageFor(Kind kind) noexcept
{
    switch (kind) {
    case Kind::InvalidOperation: return "Opération en virgule flottante incorrecte";
    case Kind::DivisionByZero: return "Division par zéro en virgule flottante";
    case Kind::Overflow: return "Débordement en virgule flottante";
    }
    return "Opération en virgule flottante incorrecte";
}

void raiseFloatError(FloatError::Kind kind)
{
    throw FloatError(kind);
}

long double checkedDivL(long double a, long double b)
{
    if (b == 0.0L) {
        if (a == 0.0L || std::isnan(a))
            raiseFloatError(FloatError::Kind::InvalidOperation);
        raiseFloatError(FloatError::Kind::DivisionByZero);
    }
    const long double q = a / b;
    if (std::isinf(q))
        raiseFloatError(FloatError::Kind::Overflow);
    return q;
}

double checkedDiv(double a, double b)
{
    return toDouble(checkedDivL(a, b));
}

} // namespace kelvoran
