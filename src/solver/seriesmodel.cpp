// SPDX-License-Identifier: GPL-3.0-or-later
#include "seriesmodel.h"

#include "model/floaterror.h"

namespace kelvoran {

// Formed in long double, where neither the squares of any finite double nor
// the cubes overflow and the denominator is zero only when both inputs are;
// both results are no larger than the inputs, so they always fit a double.
SeriesPair seriesFromParallel(double rp, double xp)
{
    const long double r = rp, x = xp;
    const long double d = r * r + x * x;
    return {toDouble(checkedDivL(r * x * x, d)), toDouble(checkedDivL(r * r * x, d))};
}

} // namespace kelvoran
