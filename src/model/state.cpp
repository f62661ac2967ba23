#include "state.h"

#include <cmath>

namespace kelvoran {

void setSourceVoltages(InstallationState& s)
{
    const double sqrt3 = std::sqrt(3.0);
    s.vs1 = cmake(s.veff, 0);
    s.vs2 = cmake(-s.veff / 2, -s.veff * sqrt3 / 2);
    s.vs3 = cmake(-s.veff / 2, s.veff * sqrt3 / 2);
}

void resetDefaultColors(DisplaySettings& d)
{
    const TColor black = makeColor(0, 0, 0);
    const TColor red = makeColor(255, 0, 0);
    const TColor green = makeColor(0, 128, 0);
    const TColor fuchsia = makeColor(255, 0, 255);
    const TColor skyBlue = makeColor(166, 202, 240);
    d.colorV1 = d.colorV2 = d.colorV3 = black;
    d.colorVZ1 = d.colorVZ2 = d.colorVZ3 = red;
    d.colorUDirect = d.colorUInv = d.colorU0 = green;
    d.colorIDirect = d.colorIInv = d.colorI0 = fuchsia;
    d.colorI1 = d.colorI2 = d.colorI3 = skyBlue;
    // IN gets yellow, VN lime: lime reads better beside the red load voltages.
    d.colorIN = makeColor(255, 255, 0);
    d.colorVN = makeColor(0, 255, 0);
}

void initializeDefaults(InstallationState& s, DisplaySettings& d)
{
    s.line1Closed = s.line2Closed = s.line3Closed = s.neutralClosed = true;
    s.veff = 220;
    setSourceVoltages(s);
    s.rotA = cmake(-0.5, std::sqrt(3.0) / 2);
    d.showNeutralVoltage = true;
    d.showNeutralCurrent = true;
    resetDefaultColors(d);
    d.showLineCurrents = true;
    d.showLoadVoltages = true;
    d.nameVectors = true;
    d.voltageThickness = 1;
    d.currentThickness = 1;
    d.constructVoltageComponents = false;
    d.constructCurrentComponents = false;
    d.algebraic = true;
}

} // namespace kelvoran
