// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/frame.h"
#include "testinstallation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace kelvoran;
using test::Installation;
using Op = SurfaceOp;

namespace {

constexpr TColor kBlack = makeColor(0, 0, 0);
constexpr TColor kRed = makeColor(255, 0, 0);
constexpr TColor kSkyBlue = makeColor(166, 202, 240);
constexpr TColor kYellow = makeColor(255, 255, 0);
constexpr TColor kLime = makeColor(0, 255, 0);

struct Pixel {
    int x, y;
};

void expectOps(const std::vector<Op>& actual, const std::vector<Op>& expected)
{
    const auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin(), expected.end());
    if (diff.first != actual.end() && diff.second != expected.end())
        ADD_FAILURE() << "operation " << diff.first - actual.begin() << ": got " << *diff.first << ", expected "
                      << *diff.second;
    EXPECT_EQ(actual.size(), expected.size());
}

// A line from `from` to `to`, named at its tip when `name` is given.
void addLine(std::vector<Op>& ops, TColor c, Pixel from, Pixel to, const char* name = nullptr)
{
    ops.insert(ops.end(), {Op::penColor(c), Op::moveTo(from.x, from.y), Op::lineTo(to.x, to.y)});
    if (name)
        ops.insert(ops.end(), {Op::fontUnderline(true), Op::fontColor(c), Op::textOut(to.x, to.y, name)});
}

void addBars(std::vector<Op>& ops, TColor v, int voltEnd, const char* voltText, TColor i, int ampEnd,
             const char* ampText)
{
    ops.insert(ops.end(), {Op::penWidth(1), Op::penColor(v), Op::moveTo(1, 5), Op::lineTo(voltEnd + 1, 5),
                           Op::fontUnderline(false), Op::fontColor(v), Op::textOut(voltEnd + 3, 5, voltText),
                           Op::penColor(i), Op::moveTo(1, 20), Op::lineTo(ampEnd + 1, 20), Op::fontColor(i),
                           Op::textOut(ampEnd + 3, 20, ampText)});
}

} // namespace

// The worked example: the sources alone in a 442 x 442 picture, origin on
// (205, 237); the current bar is drawn although no current is: 10 A from |I1|.
TEST(DiagramDrawing, EveryFlagOffDrawsTheSourcesAndBothBars)
{
    Installation inst;
    inst.solve().allFlags(false);
    const Pixel o{205, 237};
    std::vector<Op> expected{Op::penWidth(1)};
    addLine(expected, kBlack, o, {427, 237});
    addLine(expected, kBlack, o, {94, 429});
    addLine(expected, kBlack, o, {94, 45});
    expected.insert(expected.end(), {Op::penWidth(1)});
    addBars(expected, kBlack, 101, "100 V", kSkyBlue, 113, "10 A");
    expectOps(inst.record(442, 442), expected);
}

// Start-up settings at the window's design size (442 x 449, so rows and
// columns have different scales). VN is zero with the neutral closed: its
// name sits on the origin.
TEST(DiagramDrawing, StartUpSettings)
{
    Installation inst;
    inst.solve();
    const Pixel o{225, 220};
    std::vector<Op> expected{Op::penWidth(1)};
    addLine(expected, kBlack, o, {428, 220}, "V1");
    addLine(expected, kBlack, o, {124, 398}, "V2");
    addLine(expected, kBlack, o, {124, 42}, "V3");
    addLine(expected, kRed, o, {428, 220}, "VZ1");
    addLine(expected, kRed, o, {124, 398}, "VZ2");
    addLine(expected, kRed, o, {124, 42}, "VZ3");
    addLine(expected, kLime, o, o, "VN");
    expected.push_back(Op::penWidth(1));
    addLine(expected, kSkyBlue, o, {306, 179}, "I1");
    addLine(expected, kSkyBlue, o, {50, 117}, "I2");
    addLine(expected, kSkyBlue, o, {244, 150}, "I3");
    addLine(expected, kYellow, o, {301, 434}, "IN");
    addBars(expected, kBlack, 92, "100 V", kSkyBlue, 46, "10 A");
    expectOps(inst.record(442, 449), expected);
}

// Everything shown and constructed, in distinct colours: each line and its
// name have the colour of their quantity, and the names come in drawing
// order. The chains rebuild each phase quantity: chain k ends on the pixel
// of VZk (or of the scaled Ik), and only the chained names of chains 2 and 3
// are lifted by 15 pixels. The constructions leave the pen width alone.
TEST(DiagramDrawing, EverythingOnAndTheConstructionChains)
{
    const struct {
        const char* what;
        bool neutralClosed, line2Closed;
        test::FieldTexts fields;
    } rows[] = {
        {"start-up installation", true, true, test::kDefaultFields},
        {"neutral open", false, true, test::kDefaultFields},
        {"line 2 open", true, false, test::kDefaultFields},
        {"neutral open, balanced load", false, true, {"8", "8", "8", "6", "6", "6"}},
    };
    using D = DisplaySettings;
    const std::vector<std::pair<std::string, TColor D::*>> names{
        {"V1", &D::colorV1},           {"V2", &D::colorV2},         {"V3", &D::colorV3},
        {"VZ1", &D::colorVZ1},         {"VZ2", &D::colorVZ2},       {"VZ3", &D::colorVZ3},
        {"Ud", &D::colorUDirect},      {"Ui", &D::colorUInv},       {"U0", &D::colorU0},
        {"a\u00B2Ud", &D::colorUDirect}, {"aUi", &D::colorUInv},      {"U0", &D::colorU0},
        {"aUd", &D::colorUDirect},     {"a\u00B2Ui", &D::colorUInv}, {"U0", &D::colorU0},
        {"VN", &D::colorVN},           {"I1", &D::colorI1},         {"I2", &D::colorI2},
        {"I3", &D::colorI3},           {"Id", &D::colorIDirect},    {"Ii", &D::colorIInv},
        {"I0", &D::colorI0},           {"a\u00B2Id", &D::colorIDirect}, {"aIi", &D::colorIInv},
        {"I0", &D::colorI0},           {"aId", &D::colorIDirect},   {"a\u00B2Ii", &D::colorIInv},
        {"I0", &D::colorI0},           {"IN", &D::colorIN}};
    const std::set<std::string> lifted{"aUi", "a\u00B2Ui", "aIi", "a\u00B2Ii"};
    for (const auto& r : rows) {
        Installation inst;
        inst.state.neutralClosed = r.neutralClosed;
        inst.state.line2Closed = r.line2Closed;
        inst.solve(r.fields).allFlags(true).distinctColors();
        inst.settings.voltageThickness = 2;
        inst.settings.currentThickness = 4;

        std::map<std::string, Pixel> tipOf;
        std::size_t named = 0;
        TColor pen = 0, font = 0;
        std::vector<Pixel> chainTips;
        std::vector<int> widths;
        Pixel tip{};
        bool underlined = false;
        for (const Op& op : inst.record(500, 520)) {
            if (op.kind == Op::Kind::PenWidth)
                widths.push_back(op.width);
            if (op.kind == Op::Kind::PenColor)
                pen = op.color;
            if (op.kind == Op::Kind::FontColor)
                font = op.color;
            if (op.kind == Op::Kind::LineTo)
                tip = {op.x, op.y};
            if (op.kind == Op::Kind::FontUnderline)
                underlined = op.underline;
            if (op.kind != Op::Kind::TextOut || !underlined)
                continue; // the scale labels are the plain texts
            ASSERT_LT(named, names.size()) << r.what;
            EXPECT_EQ(op.text, names[named].first) << r.what;
            EXPECT_TRUE(pen == inst.settings.*names[named++].second && font == pen) << r.what << ": " << op.text;
            tipOf[op.text] = tip;
            bool raised = lifted.count(op.text) > 0;
            if (op.text == "U0" || op.text == "I0") {
                chainTips.push_back(tip);
                raised = chainTips.size() % 3 != 1;
            }
            EXPECT_EQ(tip.y - op.y, raised ? 15 : 0) << r.what << ": " << op.text;
            EXPECT_EQ(op.x, tip.x) << r.what << ": " << op.text;
        }
        EXPECT_EQ(named, names.size()) << r.what;
        EXPECT_EQ(widths, (std::vector<int>{2, 4, 1})) << r.what;
        ASSERT_EQ(chainTips.size(), 6u) << r.what;
        const char* targets[] = {"VZ1", "VZ2", "VZ3", "I1", "I2", "I3"};
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(chainTips[k].x, tipOf[targets[k]].x) << r.what << ": chain to " << targets[k];
            EXPECT_EQ(chainTips[k].y, tipOf[targets[k]].y) << r.what << ": chain to " << targets[k];
        }
    }
}

// Neutral open with only line 1 closed: the currents are rounding noise, so
// currentScale is huge and the ampere bar runs far beyond the picture. The
// pixel arithmetic saturates instead of overflowing.
TEST(DiagramDrawing, RoundingNoiseCurrentsDrawWithClampedPixels)
{
    Installation inst;
    inst.state.neutralClosed = false;
    inst.state.line2Closed = inst.state.line3Closed = false;
    inst.solve({"10", "0", "10", "10", "5", "10"}).allFlags(true); // Z1 = 10 + j10: I1 about 1.4E-15 + j1.4E-15
    const DiagramFrame f = computeDiagramFrame(inst.state, inst.settings, 442, 449);
    EXPECT_GT(f.currentScale, 1e16);
    const std::vector<Op> ops = inst.record(442, 449);
    ASSERT_GE(ops.size(), 5u);
    EXPECT_EQ(ops[ops.size() - 3], Op::lineTo(INT_MAX, 20)) << "the ampere bar's end";
    EXPECT_EQ(ops.back(), Op::textOut(INT_MAX, 20, " 1E14 A"));
}
