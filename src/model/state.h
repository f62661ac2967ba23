// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two program-wide records and their defaults, defined once here. The
// solver is the only writer of results, the diagram and the report only
// read, the parameters dialog writes veff (through setVeff) and every
// display setting.
#include "complexe.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

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

// The start texts of the six impedance fields Edit1..Edit6: R1, R2, R3, X1, X2, X3.
inline constexpr std::array<std::string_view, 6> kDefaultFieldTexts{"10", "0", "10", "-5", "5", "10"};

struct InstallationState {
    bool line1Closed = true;
    bool line2Closed = true;
    bool line3Closed = true;
    bool neutralClosed = true;
    // Change it with setVeff, which keeps vs1..vs3 in step.
    double veff = 220;
    TComplexe vs1{}, vs2{}, vs3{};
    TComplexe vz1{}, vz2{}, vz3{};
    TComplexe i1{}, i2{}, i3{};
    TComplexe in{};
    TComplexe vn{};
    TComplexe ud{}, ui{}, u0{};
    TComplexe id{}, ii{}, i0{};
    // a = -1/2 + j sqrt(3)/2, the root taken at run time.
    TComplexe rotA{-0.5, std::sqrt(3.0) / 2};
    TComplexe z1{}, z2{}, z3{};

    bool lineClosed(int k) const { return k == 1 ? line1Closed : k == 2 ? line2Closed : line3Closed; }
};

namespace defaultColor {
inline constexpr TColor kBlack = makeColor(0, 0, 0);
inline constexpr TColor kRed = makeColor(255, 0, 0);
inline constexpr TColor kGreen = makeColor(0, 128, 0);
inline constexpr TColor kFuchsia = makeColor(255, 0, 255);
inline constexpr TColor kSkyBlue = makeColor(166, 202, 240);
// IN gets yellow, VN lime: lime reads better beside the red load voltages.
inline constexpr TColor kYellow = makeColor(255, 255, 0);
inline constexpr TColor kLime = makeColor(0, 255, 0);
} // namespace defaultColor

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
    TColor colorV1 = defaultColor::kBlack, colorV2 = defaultColor::kBlack, colorV3 = defaultColor::kBlack;
    TColor colorVZ1 = defaultColor::kRed, colorVZ2 = defaultColor::kRed, colorVZ3 = defaultColor::kRed;
    TColor colorUDirect = defaultColor::kGreen, colorUInv = defaultColor::kGreen, colorU0 = defaultColor::kGreen;
    TColor colorIDirect = defaultColor::kFuchsia, colorIInv = defaultColor::kFuchsia,
           colorI0 = defaultColor::kFuchsia;
    TColor colorI1 = defaultColor::kSkyBlue, colorI2 = defaultColor::kSkyBlue, colorI3 = defaultColor::kSkyBlue;
    TColor colorIN = defaultColor::kYellow;
    TColor colorVN = defaultColor::kLime;
};

using ColorField = TColor DisplaySettings::*;
inline constexpr std::array<ColorField, 17> kColorFields{
    &DisplaySettings::colorV1,      &DisplaySettings::colorV2,     &DisplaySettings::colorV3,
    &DisplaySettings::colorVZ1,     &DisplaySettings::colorVZ2,    &DisplaySettings::colorVZ3,
    &DisplaySettings::colorUDirect, &DisplaySettings::colorUInv,   &DisplaySettings::colorU0,
    &DisplaySettings::colorIDirect, &DisplaySettings::colorIInv,   &DisplaySettings::colorI0,
    &DisplaySettings::colorI1,      &DisplaySettings::colorI2,     &DisplaySettings::colorI3,
    &DisplaySettings::colorIN,      &DisplaySettings::colorVN,
};

// vs1..vs3 from the current veff, sqrt(3) computed at run time. The products
// are formed wide, so any finite veff gives finite phasors.
void setSourceVoltages(InstallationState& state);
// Stores veff and its three source phasors together.
void setVeff(InstallationState& state, double veff);
void resetDefaultColors(DisplaySettings& settings);
// The start-up values of both records (switches closed, veff 220 and its
// sources, rotA, every setting); the first solve and the captions are the
// main window's.
void initializeDefaults(InstallationState& state, DisplaySettings& settings);

} // namespace kelvoran
