#pragma once
// The two program-wide records. The main window owns one instance of each;
// the solver is the only writer of results, the diagram and the report only
// read, the parameters dialog writes veff and every display setting.
#include "complexe.h"

#include <cstdint>

namespace kelvoran {

// 0x00BBGGRR, red in the low byte.
using TColor = std::uint32_t;

constexpr TColor makeColor(int r, int g, int b)
{
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int colorRed(TColor c) { return static_cast<int>(c & 0xFF); }
constexpr int colorGreen(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int colorBlue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

struct InstallationState {
    bool line1Closed = true;
    bool line2Closed = true;
    bool line3Closed = true;
    bool neutralClosed = true;
    double veff = 220;
    TComplexe vs1{}, vs2{}, vs3{};
    TComplexe vz1{}, vz2{}, vz3{};
    TComplexe i1{}, i2{}, i3{};
    TComplexe in{};
    TComplexe vn{};
    TComplexe ud{}, ui{}, u0{};
    TComplexe id{}, ii{}, i0{};
    TComplexe rotA{};
    TComplexe z1{}, z2{}, z3{};

    bool lineClosed(int k) const { return k == 1 ? line1Closed : k == 2 ? line2Closed : line3Closed; }
};

struct DisplaySettings {
    bool showLineCurrents = true;
    bool constructCurrentComponents = false;
    bool constructVoltageComponents = false;
    bool showLoadVoltages = true;
    bool showNeutralVoltage = true;
    bool showNeutralCurrent = true;
    bool nameVectors = true;
    bool algebraic = true;
    std::int32_t voltageThickness = 1;
    std::int32_t currentThickness = 1;
    TColor colorV1 = 0, colorV2 = 0, colorV3 = 0;
    TColor colorVZ1 = 0, colorVZ2 = 0, colorVZ3 = 0;
    TColor colorUDirect = 0, colorUInv = 0, colorU0 = 0;
    TColor colorIDirect = 0, colorIInv = 0, colorI0 = 0;
    TColor colorI1 = 0, colorI2 = 0, colorI3 = 0;
    TColor colorIN = 0;
    TColor colorVN = 0;
};

// vs1..vs3 from veff, sqrt(3) computed at run time.
void setSourceVoltages(InstallationState& state);
void resetDefaultColors(DisplaySettings& settings);
// Everything of the start-up sequence except the first solve and the
// window's own captions: switches, veff, sources, rotA, every setting.
void initializeDefaults(InstallationState& state, DisplaySettings& settings);

} // namespace kelvoran
