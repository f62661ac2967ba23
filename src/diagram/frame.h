// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The diagram's world window and scale. The world plane is in volts, real
// part to the right and imaginary part upwards, origin at the source
// neutral; currents are brought onto the voltage scale by currentScale.
#include "diagram/surface.h"
#include "model/state.h"

#include <cstdint>

namespace kelvoran {

// 10 to the power x, as e^(x ln 10).
double powerOfTen(double x);

// Maps [lo, hi] onto [p0, p1], rounding halves to the even pixel. Results
// beyond the 32-bit range are clamped; hi == lo raises FloatError like any
// other division by zero.
int worldToPixelX(int p0, int p1, double v, double lo, double hi);
// Vertical mapping: hi lands on p0 (the top edge), lo on p1.
int worldToPixelY(int p0, int p1, double v, double lo, double hi);

// Built afresh for every drawing; discarded when it ends.
struct DiagramFrame {
    double xMin = 0;
    double xMax = 0;
    double yMin = 0;
    double yMax = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    double vMax = 0;
    double iMax = 0;
    double currentScale = 0;
    TComplexe scaledI1{}, scaledI2{}, scaledI3{};
    TComplexe scaledId{}, scaledIi{}, scaledI0{};
    TComplexe scaledIN{};

    // The picture column and row of a world abscissa and ordinate.
    int pixelX(double v) const { return worldToPixelX(0, width, v, xMin, xMax); }
    int pixelY(double v) const { return worldToPixelY(0, height, v, yMin, yMax); }
};

// Raises FloatError (DivisionByZero, or InvalidOperation when every voltage
// is zero too) when there is no current to scale by.
DiagramFrame computeDiagramFrame(const InstallationState& state, const DisplaySettings& settings,
                                 int width, int height);

// The volt bar on row 5 and the ampere bar on row 20, with their labels.
// The caller has set the pen width.
void drawScaleBars(DrawingSurface& canvas, const DiagramFrame& frame, const DisplaySettings& settings);

// p + d without leaving the 32-bit range: a clamped pixel stays clamped.
int offsetPixel(int p, int d);

} // namespace kelvoran
