// SPDX-License-Identifier: GPL-3.0-or-later
#include "state.h"

#include "floaterror.h"

#include <cmath>

namespace kelvoran {

namespace {

struct Sources {
    TComplexe vs1, vs2, vs3;
};

// veff * sqrt(3) is formed in long double: near the top of the double range
// it would overflow a double, yet half of it fits.
Sources sourcesFor(double veff)
{
    const long double sqrt3 = std::sqrt(3.0);
    const double half = toDouble(static_cast<long double>(veff) * sqrt3 / 2);
    return {cmake(veff, 0), cmake(-veff / 2, -half), cmake(-veff / 2, half)};
}

} // namespace

void setSourceVoltages(InstallationState& s)
{
    setVeff(s, s.veff);
}

void setVeff(InstallationState& s, double veff)
{
    // Nothing is stored unless all four fit.
    const Sources v = sourcesFor(veff);
    s.veff = veff;
    s.vs1 = v.vs1;
    s.vs2 = v.vs2;
    s.vs3 = v.vs3;
}

void resetDefaultColors(DisplaySettings& d)
{
    const DisplaySettings defaults;
    for (ColorField field : kColorFields)
        d.*field = defaults.*field;
}

void initializeDefaults(InstallationState& s, DisplaySettings& d)
{
    s = InstallationState{};
    setSourceVoltages(s);
    d = DisplaySettings{};
}

} // namespace kelvoran
