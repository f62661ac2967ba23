// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/frame.h"
#include "testinstallation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

using namespace kelvoran;
using test::errorKind;
using test::Installation;
using K = FloatError::Kind;

TEST(PixelMapping, RoundsHalvesToEvenFlipsRowsAndClamps)
{
    const struct {
        const char* what;
        int p0, p1;
        double v, lo, hi;
        int x, y;
    } rows[] = {
        {"half rounds down to even", 0, 10, 2.5, 0, 10, 2, 8},
        {"half rounds up to even", 0, 10, 3.5, 0, 10, 4, 6},
        {"bounds land on p0 and on p1 itself", 0, 10, 10, 0, 10, 10, 0},
        {"offset interval", 100, 300, 2.5, 0, 10, 150, 250},
        {"negative half", 0, 1, -0.5, 0, 1, 0, 2},
        {"far beyond the right edge", 0, 442, 1e32, -203.86, 235.4, INT_MAX, INT_MIN},
        {"far beyond the left edge", 0, 442, -1e32, -203.86, 235.4, INT_MIN, INT_MAX},
        {"largest double", 0, 442, 1.7e308, -1, 1, INT_MAX, INT_MIN},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(worldToPixelX(r.p0, r.p1, r.v, r.lo, r.hi), r.x) << r.what;
        EXPECT_EQ(worldToPixelY(r.p0, r.p1, r.v, r.lo, r.hi), r.y) << r.what;
    }
    // An empty world interval stops like a trapping FPU would.
    EXPECT_EQ(errorKind([] { worldToPixelX(0, 10, 1, 0, 0); }), int(K::DivisionByZero));
    EXPECT_EQ(errorKind([] { worldToPixelY(0, 10, 0, 0, 0); }), int(K::InvalidOperation));
}

// The sources alone: the window is [-203.86, 235.4] on both axes and IN is
// scaled by |I1| although no current is shown.
TEST(DiagramFrame, WorkedExampleWithEveryFlagOff)
{
    Installation inst;
    inst.solve().allFlags(false);
    const DiagramFrame f = computeDiagramFrame(inst.state, inst.settings, 442, 442);
    EXPECT_EQ(std::round(f.xMin * 100) / 100, -203.86);
    EXPECT_EQ(std::round(f.xMax * 100) / 100, 235.4);
    EXPECT_EQ(f.yMin, f.xMin);
    EXPECT_EQ(f.yMax, f.xMax);
    EXPECT_DOUBLE_EQ(f.vMax, 220);
    EXPECT_DOUBLE_EQ(f.iMax, std::hypot(17.6, 8.8));
    EXPECT_DOUBLE_EQ(f.scaledIN.im, inst.state.in.im * 220 / std::hypot(17.6, 8.8));
}

TEST(DiagramFrame, FlagsDecideWhichPointsCount)
{
    const struct {
        const char* what;
        test::FieldTexts fields;
        bool neutralClosed, line1Closed;
        std::vector<bool DisplaySettings::*> flags;
        double m, M, vMax, iMax;
    } rows[] = {
        {"start-up flags: the scaled IN widens the window, without counting in iMax", test::kDefaultFields, true,
         true,
         {&DisplaySettings::showLineCurrents, &DisplaySettings::showLoadVoltages, &DisplaySettings::showNeutralVoltage,
          &DisplaySettings::showNeutralCurrent},
         -245.17059501271424, 235.4, 220, 44},
        {"VN counts when shown", test::kDefaultFields, false, true, {&DisplaySettings::showNeutralVoltage},
         -206.3831377299296, 235.4, 220, 37.11027036949543},
        {"hidden load voltages count for the voltage construction", test::kDefaultFields, false, true,
         {&DisplaySettings::constructVoltageComponents}, -247.6597652759155, 441.78313772992965, 414.9054360479401,
         37.11027036949543},
        {"the current construction counts the scaled line currents", test::kDefaultFields, true, true,
         {&DisplaySettings::constructCurrentComponents}, -455.8501398486129, 263.1852009517252, 220, 19.67739820199815},
        {"unscaled currents count as if they were volts", {"0.1", "0.1", "0.1", "0", "0", "0"}, true, true,
         {&DisplaySettings::showLineCurrents}, -2038.6238005085684, 2354.0, 220, 2200},
        {"line 1 open: iMax from the shown I2 and I3", test::kDefaultFields, true, false,
         {&DisplaySettings::showLineCurrents}, -203.86238005085684, 235.4, 220, 44},
    };
    for (const auto& r : rows) {
        Installation inst;
        inst.state.neutralClosed = r.neutralClosed;
        inst.state.line1Closed = r.line1Closed;
        inst.solve(r.fields).allFlags(false);
        for (bool DisplaySettings::*flag : r.flags)
            inst.settings.*flag = true;
        const DiagramFrame f = computeDiagramFrame(inst.state, inst.settings, 400, 400);
        EXPECT_NEAR(f.xMin, r.m, 1e-9) << r.what;
        EXPECT_NEAR(f.xMax, r.M, 1e-9) << r.what;
        EXPECT_NEAR(f.vMax, r.vMax, 1e-9) << r.what;
        EXPECT_NEAR(f.iMax, r.iMax, 1e-9) << r.what;
        EXPECT_NEAR(f.currentScale, r.vMax / r.iMax, 1e-9) << r.what;
    }
}

TEST(DiagramFrame, ErrorsStopBeforeAnythingIsDrawn)
{
    const struct {
        const char* what;
        bool line1Closed, line2And3Closed;
        double veff;
        test::FieldTexts fields;
        bool flagsOff;
        K kind;
    } rows[] = {
        {"every line open", false, false, 220, test::kDefaultFields, false, K::DivisionByZero},
        {"line 1 open, currents hidden", false, true, 220, test::kDefaultFields, true, K::DivisionByZero},
        {"zero source voltage", true, true, 0, test::kDefaultFields, false, K::InvalidOperation},
        {"a scaled current beyond the double range: I1 = 2.2E-300 A sets the scale, I2 = 2.2E6 A", true, true, 220,
         {"1E302", "1E-4", "10", "0", "0", "10"}, true, K::Overflow},
    };
    for (const auto& r : rows) {
        Installation inst;
        inst.state.line1Closed = r.line1Closed;
        inst.state.line2Closed = inst.state.line3Closed = r.line2And3Closed;
        inst.state.veff = r.veff;
        setSourceVoltages(inst.state);
        inst.solve(r.fields);
        if (r.flagsOff)
            inst.allFlags(false);
        RecordingSurface canvas;
        EXPECT_EQ(errorKind([&] { drawDiagram(canvas, inst.state, inst.settings, 442, 449); }), int(r.kind)) << r.what;
        EXPECT_TRUE(canvas.ops().empty()) << r.what << "\n" << canvas.listing();
    }
}

TEST(ScaleBars, DecadesComeFromTheWindowBoundAndFromIMax)
{
    const struct {
        double M, iMax;
        const char* voltText;
        const char* ampText;
    } rows[] = {
        {235.4, 19.68, "100 V", "10 A"},
        {5, 0.5, "1 V", "1 A"},
        {10, 1, "10 V", "1 A"},
        {0.5, 0.05, "1 V", "10 A"}, // the absolute value of the exponent: not 0.01
        {0.05, 2e-3, "10 V", "100 A"},
        // ln 1000 / ln 10 is 2.9999999999999996 in double, so a decade lower.
        {1000, 1000, "100 V", "100 A"},
        // Rounding-noise currents: ln 1E-15 / ln 10 is -14.999999999999998.
        {441.8, 1e-15, "100 V", " 1E14 A"},
    };
    for (const auto& r : rows) {
        DiagramFrame f;
        f.xMin = f.yMin = -r.M;
        f.xMax = f.yMax = r.M;
        f.width = f.height = 200;
        f.iMax = r.iMax;
        f.currentScale = 1;
        RecordingSurface canvas;
        drawScaleBars(canvas, f, DisplaySettings{});
        ASSERT_EQ(canvas.ops().size(), 11u);
        EXPECT_EQ(canvas.ops()[5].text, r.voltText) << r.M;
        EXPECT_EQ(canvas.ops()[10].text, r.ampText) << r.iMax;
    }
}
