#include "diagram/frame.h"
#include "diagram/composition.h"
#include "diagram/recordingsurface.h"
#include "model/fperror.h"
#include "testinstallation.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

using namespace kelvoran;
using test::Installation;

namespace {

double twoDecimals(double v) { return std::round(v * 100) / 100; }

FloatError::Kind errorKind(const std::function<void()>& action)
{
    try {
        action();
    } catch (const FloatError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no FloatError raised";
    return FloatError::Kind::InvalidOperation;
}

} // namespace

TEST(PixelMapping, RoundsHalvesToEvenFlipsRowsAndClamps)
{
    struct Row {
        const char* what;
        int p0, p1;
        double v, lo, hi;
        int x, y;
    } const rows[] = {
        {"half rounds down to even", 0, 10, 2.5, 0, 10, 2, 8},
        {"half rounds up to even", 0, 10, 3.5, 0, 10, 4, 6},
        {"lower bound", 0, 10, 0, 0, 10, 0, 10},
        {"upper bound lands on p1 itself", 0, 10, 10, 0, 10, 10, 0},
        {"offset interval", 100, 300, 2.5, 0, 10, 150, 250},
        {"negative half", 0, 1, -0.5, 0, 1, 0, 2},
        {"far beyond the right edge", 0, 442, 1e32, -203.86, 235.4, INT_MAX, INT_MIN},
        {"far beyond the left edge", 0, 442, -1e32, -203.86, 235.4, INT_MIN, INT_MAX},
        {"largest double", 0, 442, 1.7e308, -1, 1, INT_MAX, INT_MIN},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(worldToPixelX(r.p0, r.p1, r.v, r.lo, r.hi), r.x) << r.what;
        EXPECT_EQ(worldToPixelY(r.p0, r.p1, r.v, r.lo, r.hi), r.y) << r.what;
    }
    // An empty world interval stops like a trapping FPU would.
    EXPECT_EQ(errorKind([] { worldToPixelX(0, 10, 1, 0, 0); }), FloatError::Kind::DivisionByZero);
    EXPECT_EQ(errorKind([] { worldToPixelY(0, 10, 0, 0, 0); }), FloatError::Kind::InvalidOperation);
}

TEST(PixelMapping, PowerOfTen)
{
    EXPECT_EQ(powerOfTen(0), 1.0);
    EXPECT_NEAR(powerOfTen(2), 100.0, 1e-12);
    EXPECT_NEAR(powerOfTen(-2), 0.01, 1e-17);
    EXPECT_NEAR(powerOfTen(15) / 1e15, 1.0, 1e-14);
    EXPECT_EQ(errorKind([] { powerOfTen(400); }), FloatError::Kind::Overflow);
}

TEST(DiagramFrame, DefaultSourceWithEveryFlagOff)
{
    Installation inst;
    inst.solve().allFlagsOff();
    const DiagramFrame f = computeDiagramFrame(inst.state, inst.settings, 442, 442);

    EXPECT_EQ(twoDecimals(f.xMin), -203.86);
    EXPECT_EQ(twoDecimals(f.xMax), 235.4);
    EXPECT_EQ(f.xMin, f.yMin);
    EXPECT_EQ(f.xMax, f.yMax);
    EXPECT_EQ(f.width, 442);
    EXPECT_EQ(f.height, 442);
    EXPECT_DOUBLE_EQ(f.vMax, 220);
    EXPECT_DOUBLE_EQ(f.iMax, std::hypot(17.6, 8.8)); // |I1| alone
    EXPECT_DOUBLE_EQ(f.currentScale, 220 / std::hypot(17.6, 8.8));
    // Every current is scaled, shown or not; IN by |I1| too.
    EXPECT_DOUBLE_EQ(f.scaledI1.re, 17.6 * f.currentScale);
    EXPECT_DOUBLE_EQ(f.scaledIN.im, inst.state.in.im * f.currentScale);
    EXPECT_DOUBLE_EQ(f.scaledI0.re, inst.state.i0.re * f.currentScale);

    EXPECT_EQ(f.pixelX(0), 205);
    EXPECT_EQ(f.pixelY(0), 237);
    EXPECT_EQ(f.pixelX(inst.state.vs1.re), 427);
    EXPECT_EQ(f.pixelY(inst.state.vs1.im), 237);
}

TEST(DiagramFrame, FlagsDecideWhichPointsCount)
{
    const test::FieldTexts smallLoad{"0.1", "0.1", "0.1", "0", "0", "0"};
    struct Row {
        const char* what;
        test::FieldTexts fields;
        bool neutralClosed;
        bool line1Closed;
        std::function<void(DisplaySettings&)> flags;
        double m, M, vMax, iMax;
    };
    const Row rows[] = {
        {"default flags: the scaled IN widens the window, without counting in iMax", test::kDefaultFields, true,
         true,
         [](DisplaySettings& d) {
             d.showLineCurrents = d.showLoadVoltages = d.showNeutralVoltage = d.showNeutralCurrent = true;
         },
         -245.17059501271424, 235.4, 220, 44},
        {"VN counts when shown", test::kDefaultFields, false, true,
         [](DisplaySettings& d) { d.showNeutralVoltage = true; }, -206.3831377299296, 235.4, 220,
         37.11027036949543},
        {"hidden load voltages count for the voltage construction", test::kDefaultFields, false, true,
         [](DisplaySettings& d) { d.constructVoltageComponents = true; }, -247.6597652759155, 441.78313772992965,
         414.9054360479401, 37.11027036949543},
        {"the current construction counts the scaled line currents", test::kDefaultFields, true, true,
         [](DisplaySettings& d) { d.constructCurrentComponents = true; }, -455.8501398486129, 263.1852009517252,
         220, 19.67739820199815},
        {"unscaled currents count as if they were volts", smallLoad, true, true,
         [](DisplaySettings& d) { d.showLineCurrents = true; }, -2038.6238005085684, 2354.0, 220, 2200},
        {"line 1 open: iMax from the shown I2 and I3", test::kDefaultFields, true, false,
         [](DisplaySettings& d) { d.showLineCurrents = true; }, -203.86238005085684, 235.4, 220, 44},
    };
    for (const Row& r : rows) {
        Installation inst;
        inst.state.neutralClosed = r.neutralClosed;
        inst.state.line1Closed = r.line1Closed;
        inst.solve(r.fields).allFlagsOff();
        r.flags(inst.settings);
        const DiagramFrame f = computeDiagramFrame(inst.state, inst.settings, 400, 400);
        EXPECT_NEAR(f.xMin, r.m, 1e-9) << r.what;
        EXPECT_NEAR(f.xMax, r.M, 1e-9) << r.what;
        EXPECT_EQ(f.yMin, f.xMin) << r.what;
        EXPECT_EQ(f.yMax, f.xMax) << r.what;
        EXPECT_NEAR(f.vMax, r.vMax, 1e-9) << r.what;
        EXPECT_NEAR(f.iMax, r.iMax, 1e-9) << r.what;
        EXPECT_NEAR(f.currentScale, r.vMax / r.iMax, 1e-9) << r.what;
    }
}

TEST(DiagramFrame, NoCurrentToScaleByStopsBeforeDrawing)
{
    struct Row {
        const char* what;
        std::function<void(Installation&)> setUp;
        FloatError::Kind kind;
    } const rows[] = {
        {"every line open",
         [](Installation& i) { i.state.line1Closed = i.state.line2Closed = i.state.line3Closed = false; },
         FloatError::Kind::DivisionByZero},
        {"line 1 open, currents hidden",
         [](Installation& i) {
             i.state.line1Closed = false;
             i.allFlagsOff();
         },
         FloatError::Kind::DivisionByZero},
        {"zero source voltage",
         [](Installation& i) {
             i.state.veff = 0;
             setSourceVoltages(i.state);
         },
         FloatError::Kind::InvalidOperation},
    };
    for (const Row& r : rows) {
        Installation inst;
        r.setUp(inst);
        inst.solve();
        RecordingSurface canvas;
        EXPECT_EQ(errorKind([&] { drawDiagram(canvas, inst.state, inst.settings, 442, 449); }), r.kind) << r.what;
        EXPECT_TRUE(canvas.ops().empty()) << r.what << "\n" << canvas.listing();
    }
}

TEST(DiagramFrame, OverflowingScaledCurrentRaises)
{
    Installation inst;
    inst.solve().allFlagsOff();
    inst.state.i1 = {1e-300, 0}; // iMax, so currentScale is 2.2E302
    inst.state.i2 = {1e10, 0};   // not counted, but scaled all the same
    EXPECT_EQ(errorKind([&] { computeDiagramFrame(inst.state, inst.settings, 442, 449); }),
              FloatError::Kind::Overflow);
}

TEST(ScaleBars, DecadesComeFromTheWindowBoundAndFromIMax)
{
    struct Row {
        double M, iMax;
        const char* voltText;
        const char* ampText;
    } const rows[] = {
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
    for (const Row& r : rows) {
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

TEST(ScaleBars, CurrentOfExactlyOneThousandAmperes)
{
    Installation inst;
    inst.solve().allFlagsOff();
    inst.state.i1 = {1000, 0};
    RecordingSurface canvas;
    drawDiagram(canvas, inst.state, inst.settings, 442, 449);
    ASSERT_FALSE(canvas.ops().empty());
    EXPECT_EQ(canvas.ops().back().text, "100 A");
}
