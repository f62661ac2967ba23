#include "diagram/composition.h"
#include "diagram/frame.h"
#include "diagram/recordingsurface.h"
#include "testinstallation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
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

std::vector<Op> record(const Installation& inst, int width, int height)
{
    RecordingSurface canvas;
    drawDiagram(canvas, inst.state, inst.settings, width, height);
    return canvas.ops();
}

// Reports the first differing operation and both listings.
void expectOps(const std::vector<Op>& actual, const std::vector<Op>& expected)
{
    const std::size_t n = std::min(actual.size(), expected.size());
    for (std::size_t k = 0; k < n; ++k) {
        if (!(actual[k] == expected[k])) {
            ADD_FAILURE() << "operation " << k << ": got " << actual[k] << ", expected " << expected[k];
            return;
        }
    }
    EXPECT_EQ(actual.size(), expected.size()) << "first " << n << " operations agree";
}

// A named vector: line from the origin, name at the tip.
void addNamed(std::vector<Op>& ops, TColor c, Pixel from, Pixel to, const std::string& name)
{
    ops.insert(ops.end(), {Op::penColor(c), Op::moveTo(from.x, from.y), Op::lineTo(to.x, to.y),
                           Op::fontUnderline(true), Op::fontColor(c), Op::textOut(to.x, to.y, name)});
}

void addPiece(std::vector<Op>& ops, TColor c, Pixel from, Pixel to)
{
    ops.insert(ops.end(), {Op::penColor(c), Op::moveTo(from.x, from.y), Op::lineTo(to.x, to.y)});
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

// The default 220 V installation with nothing but the sources: the window
// is [-203.86, 235.4] on both axes.
TEST(DiagramDrawing, EveryFlagOffDrawsTheSourcesAndBothBars)
{
    Installation inst;
    inst.solve().allFlagsOff();
    const std::vector<Op> expected{
        Op::penWidth(1),
        Op::penColor(kBlack), Op::moveTo(205, 237), Op::lineTo(427, 237),
        Op::penColor(kBlack), Op::moveTo(205, 237), Op::lineTo(94, 429),
        Op::penColor(kBlack), Op::moveTo(205, 237), Op::lineTo(94, 45),
        Op::penWidth(1),
        // The current bar is drawn although no current is: 10 A from |I1|.
        Op::penWidth(1),
        Op::penColor(kBlack), Op::moveTo(1, 5), Op::lineTo(102, 5),
        Op::fontUnderline(false), Op::fontColor(kBlack), Op::textOut(104, 5, "100 V"),
        Op::penColor(kSkyBlue), Op::moveTo(1, 20), Op::lineTo(114, 20),
        Op::fontColor(kSkyBlue), Op::textOut(116, 20, "10 A"),
    };
    expectOps(record(inst, 442, 442), expected);
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
    addNamed(expected, kBlack, o, {428, 220}, "V1");
    addNamed(expected, kBlack, o, {124, 398}, "V2");
    addNamed(expected, kBlack, o, {124, 42}, "V3");
    addNamed(expected, kRed, o, {428, 220}, "VZ1");
    addNamed(expected, kRed, o, {124, 398}, "VZ2");
    addNamed(expected, kRed, o, {124, 42}, "VZ3");
    addNamed(expected, kLime, o, o, "VN");
    expected.push_back(Op::penWidth(1));
    addNamed(expected, kSkyBlue, o, {306, 179}, "I1");
    addNamed(expected, kSkyBlue, o, {50, 117}, "I2");
    addNamed(expected, kSkyBlue, o, {244, 150}, "I3");
    addNamed(expected, kYellow, o, {301, 434}, "IN");
    addBars(expected, kBlack, 92, "100 V", kSkyBlue, 46, "10 A");
    expectOps(record(inst, 442, 449), expected);
}

// Everything shown and constructed, names off, neutral open (the voltage
// chains then have a visible zero-sequence piece), distinct colours and
// widths so that each item's colour and width are checked.
TEST(DiagramDrawing, EverythingOnWithoutNames)
{
    Installation inst;
    inst.state.neutralClosed = false;
    inst.solve().allFlagsOn().distinctColors();
    inst.settings.nameVectors = false;
    inst.settings.voltageThickness = 3;
    inst.settings.currentThickness = 5;
    const DisplaySettings& d = inst.settings;

    const Pixel o{215, 231};
    struct Piece {
        TColor color;
        Pixel from, to;
    };
    const std::vector<Piece> voltages{
        {d.colorV1, o, {328, 231}},      {d.colorV2, o, {158, 330}},           {d.colorV3, o, {158, 131}},
        {d.colorVZ1, o, {427, 252}},     {d.colorVZ2, o, {257, 352}},          {d.colorVZ3, o, {257, 153}},
        {d.colorUDirect, o, {328, 231}}, {d.colorUInv, {328, 231}, {328, 231}}, {d.colorU0, {328, 231}, {427, 252}},
        {d.colorUDirect, o, {158, 330}}, {d.colorUInv, {158, 330}, {158, 330}}, {d.colorU0, {158, 330}, {257, 352}},
        {d.colorUDirect, o, {158, 131}}, {d.colorUInv, {158, 131}, {158, 131}}, {d.colorU0, {158, 131}, {257, 153}},
        {d.colorVN, o, {116, 209}},
    };
    const std::vector<Piece> currents{
        {d.colorI1, o, {365, 172}},      {d.colorI2, o, {14, 304}},             {d.colorI3, o, {265, 216}},
        {d.colorIDirect, o, {315, 275}}, {d.colorIInv, {315, 275}, {365, 172}}, {d.colorI0, {365, 172}, {365, 172}},
        {d.colorIDirect, o, {127, 297}}, {d.colorIInv, {127, 297}, {14, 304}},  {d.colorI0, {14, 304}, {14, 304}},
        {d.colorIDirect, o, {203, 120}}, {d.colorIInv, {203, 120}, {265, 216}}, {d.colorI0, {265, 216}, {265, 216}},
        {d.colorIN, o, o},
    };
    std::vector<Op> expected{Op::penWidth(3)};
    for (const Piece& p : voltages)
        addPiece(expected, p.color, p.from, p.to);
    expected.push_back(Op::penWidth(5));
    for (const Piece& p : currents)
        addPiece(expected, p.color, p.from, p.to);
    addBars(expected, d.colorV1, 51, "100 V", d.colorI1, 43, "10 A");
    expectOps(record(inst, 442, 449), expected);
}

// The chains rebuild each phase quantity: chain k ends on the pixel of VZk
// (or of the scaled Ik), and only the chained names of chains 2 and 3 are
// lifted by 15 pixels.
TEST(DiagramDrawing, ConstructionChainsEndOnThePhaseQuantities)
{
    struct Row {
        const char* what;
        bool neutralClosed;
        bool line2Closed;
        test::FieldTexts fields;
    } const rows[] = {
        {"start-up installation", true, true, test::kDefaultFields},
        {"neutral open", false, true, test::kDefaultFields},
        {"line 2 open", true, false, test::kDefaultFields},
        {"balanced load", true, true, {"8", "8", "8", "6", "6", "6"}},
        {"neutral open, balanced load", false, true, {"8", "8", "8", "6", "6", "6"}},
    };
    const std::map<std::string, int> raiseOf{
        {"Ud", 0}, {"Ui", 0}, {"a\u00B2Ud", 0}, {"aUi", 15}, {"aUd", 0}, {"a\u00B2Ui", 15},
        {"Id", 0}, {"Ii", 0}, {"a\u00B2Id", 0}, {"aIi", 15}, {"aId", 0}, {"a\u00B2Ii", 15},
    };
    const std::vector<std::string> voltageNames{"Ud", "Ui", "U0", "a\u00B2Ud", "aUi", "U0", "aUd", "a\u00B2Ui", "U0"};
    const std::vector<std::string> currentNames{"Id", "Ii", "I0", "a\u00B2Id", "aIi", "I0", "aId", "a\u00B2Ii", "I0"};

    for (const Row& r : rows) {
        Installation inst;
        inst.state.neutralClosed = r.neutralClosed;
        inst.state.line2Closed = r.line2Closed;
        inst.solve(r.fields).allFlagsOn();
        inst.settings.voltageThickness = 2;
        inst.settings.currentThickness = 4;
        const std::vector<Op> ops = record(inst, 500, 520);

        // Each text follows the line whose tip it names.
        std::map<std::string, Pixel> tipOf;
        std::vector<std::string> order;
        std::vector<Pixel> chainTips;
        Pixel lastTip{};
        bool underlined = false;
        std::vector<int> widths;
        for (const Op& op : ops) {
            if (op.kind == Op::Kind::PenWidth)
                widths.push_back(op.width);
            if (op.kind == Op::Kind::LineTo)
                lastTip = {op.x, op.y};
            if (op.kind == Op::Kind::FontUnderline)
                underlined = op.underline;
            if (op.kind != Op::Kind::TextOut || !underlined)
                continue; // the scale labels are the plain texts
            order.push_back(op.text);
            tipOf[op.text] = lastTip;
            int expectedRaise = raiseOf.count(op.text) ? raiseOf.at(op.text) : 0;
            if (op.text == "U0" || op.text == "I0") {
                chainTips.push_back(lastTip);
                expectedRaise = chainTips.size() % 3 == 1 ? 0 : 15; // chain 1 of each construction: 0
            }
            EXPECT_EQ(lastTip.y - op.y, expectedRaise) << r.what << ": " << op.text;
            EXPECT_EQ(op.x, lastTip.x) << r.what << ": " << op.text;
        }
        ASSERT_EQ(chainTips.size(), 6u) << r.what;
        const char* targets[] = {"VZ1", "VZ2", "VZ3", "I1", "I2", "I3"};
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(chainTips[k].x, tipOf[targets[k]].x) << r.what << ": chain to " << targets[k];
            EXPECT_EQ(chainTips[k].y, tipOf[targets[k]].y) << r.what << ": chain to " << targets[k];
        }
        // The constructions leave the pen width to the composition.
        EXPECT_EQ(widths, (std::vector<int>{2, 4, 1})) << r.what;
        std::vector<std::string> expectedOrder{"V1", "V2", "V3", "VZ1", "VZ2", "VZ3"};
        expectedOrder.insert(expectedOrder.end(), voltageNames.begin(), voltageNames.end());
        expectedOrder.insert(expectedOrder.end(), {"VN", "I1", "I2", "I3"});
        expectedOrder.insert(expectedOrder.end(), currentNames.begin(), currentNames.end());
        expectedOrder.push_back("IN");
        EXPECT_EQ(order, expectedOrder) << r.what;
    }
}

// With line 2 open I2 is zero: no visible line, its name on the origin.
TEST(DiagramDrawing, ZeroVectorKeepsItsNameOnTheOrigin)
{
    Installation inst;
    inst.state.line2Closed = false;
    inst.solve();
    const std::vector<Op> ops = record(inst, 442, 449);
    const auto i2 = std::find_if(ops.begin(), ops.end(), [](const Op& op) { return op.text == "I2"; });
    ASSERT_NE(i2, ops.end());
    const Op& move = *(i2 - 4);
    const Op& line = *(i2 - 3);
    ASSERT_EQ(move.kind, Op::Kind::MoveTo);
    EXPECT_EQ(line, Op::lineTo(move.x, move.y));
    EXPECT_EQ(*i2, Op::textOut(move.x, move.y, "I2"));
}

// Neutral open with only line 1 closed: the currents are rounding noise, so
// currentScale is huge and the ampere bar runs far beyond the picture. The
// pixel arithmetic saturates instead of overflowing.
TEST(DiagramDrawing, RoundingNoiseCurrentsDrawWithClampedPixels)
{
    Installation inst;
    inst.state.neutralClosed = false;
    inst.state.line2Closed = inst.state.line3Closed = false;
    inst.solve({"10", "0", "10", "10", "5", "10"}).allFlagsOn(); // Z1 = 10 + j10: I1 about 1.4E-15 + j1.4E-15
    const DiagramFrame f = computeDiagramFrame(inst.state, inst.settings, 442, 449);
    EXPECT_GT(f.currentScale, 1e16);
    const std::vector<Op> ops = record(inst, 442, 449);
    ASSERT_GE(ops.size(), 5u);
    const Op& ampBarEnd = ops[ops.size() - 3];
    EXPECT_EQ(ampBarEnd, Op::lineTo(INT_MAX, 20));
    EXPECT_EQ(ops.back().x, INT_MAX);
    EXPECT_EQ(ops.back().y, 20);
}
