// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/qtsurfaces.h"
#include "testinstallation.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QFontInfo>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

using namespace kelvoran;
using test::errorKind;
using test::Installation;
using Op = SurfaceOp;

namespace {

// Text needs a QGuiApplication; gtest_discover_tests lists the tests
// without running environments, so creating it here is safe.
class QtEnvironment : public ::testing::Environment {
    int argc_ = 1;
    char name_[17] = "diagram_qt_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
    void SetUp() override { app_ = std::make_unique<QGuiApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

const QRgb kWhite = qRgb(255, 255, 255);

QImage whiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

double distance(QPointF p, QPointF a, QPointF b)
{
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

} // namespace

TEST(QtSurfaces, RasterAndSvgReceiveTheRecordedOperations)
{
    Installation inst;
    inst.solve().allFlags(true);
    inst.settings.voltageThickness = 2;
    inst.settings.currentThickness = 3;
    const auto through = [&inst](DrawingSurface& surface) {
        RecordingSurface tap(&surface);
        drawDiagram(tap, inst.state, inst.settings, 442, 449);
        return tap.ops();
    };
    QImage image = whiteImage(442, 449);
    RasterSurface raster(image);
    EXPECT_EQ(through(raster), inst.record(442, 449));
    SvgSurface svg(442, 449);
    EXPECT_EQ(through(svg), inst.record(442, 449));
    EXPECT_TRUE(svg.finish().contains(">VZ1<"));
}

TEST(QtSurfaces, SvgHasThePixelSizeAndNoBackground)
{
    Installation inst;
    inst.solve();
    const QByteArray bytes = drawDiagramSvg(inst.state, inst.settings, 442, 449);
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    ASSERT_EQ(xml.name(), u"svg");
    EXPECT_EQ(xml.attributes().value(QLatin1String("width")), u"442");
    EXPECT_EQ(xml.attributes().value(QLatin1String("height")), u"449");
    EXPECT_EQ(xml.attributes().value(QLatin1String("viewBox")), u"0 0 442 449");
    EXPECT_FALSE(bytes.contains("<rect") || bytes.contains("<image"));
    EXPECT_FALSE(bytes.contains("<title") || bytes.contains("<desc")) << "nothing added to the user's document";

    // Every name comes with its underline in one group; every font names the
    // raster's face, then the generic family.
    const QString family = QFontInfo(QGuiApplication::font()).family() + QStringLiteral(", sans-serif");
    int names = 0;
    int fonts = 0;
    QXmlStreamReader groups(bytes);
    while (!groups.atEnd()) {
        if (!groups.readNextStartElement())
            continue;
        if (groups.attributes().hasAttribute(QLatin1String("font-family"))) {
            EXPECT_EQ(groups.attributes().value(QLatin1String("font-family")), family);
            ++fonts;
        }
        if (groups.name() != u"g" || groups.attributes().hasAttribute(QLatin1String("fill")))
            continue;
        QStringList children; // a plain <g> holds exactly: <g><text/></g> <g><polyline/></g>
        for (int depth = 1; depth > 0 && !groups.atEnd();) {
            groups.readNext();
            depth += groups.isStartElement() ? 1 : groups.isEndElement() ? -1 : 0;
            if (groups.isStartElement() && groups.name() == u"text")
                children << QStringLiteral("text:") + groups.readElementText();
            else if (groups.isStartElement())
                children << groups.name().toString();
            if (groups.isEndElement() && groups.name() == u"text")
                --depth;
        }
        ASSERT_EQ(children.size(), 4) << children.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(children[2], QStringLiteral("g"));
        EXPECT_EQ(children[3], QStringLiteral("polyline"));
        ++names;
    }
    EXPECT_EQ(names, 11) << "V1-V3, VZ1-VZ3, VN, I1-I3, IN";
    EXPECT_GT(fonts, 11);

    QSvgRenderer renderer(bytes);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(442, 449));
    QImage rendered(442, 449, QImage::Format_ARGB32);
    rendered.fill(Qt::transparent);
    QPainter painter(&rendered);
    renderer.render(&painter);
    painter.end();
    EXPECT_EQ(qAlpha(rendered.pixel(440, 5)), 0) << "no background";
    EXPECT_GT(qAlpha(rendered.pixel(300, 220)), 0) << "VZ1 over V1";
}

// Ink near the middle of every recorded line; white wherever no line or
// text was drawn (a text drawn by its baseline would show above its box).
TEST(QtSurfaces, BitmapHasTheRecordedLinesOnWhite)
{
    Installation inst;
    inst.solve().allFlags(true);
    QImage picture;
    drawDiagramBitmap(picture, inst.state, inst.settings, 442, 449);
    ASSERT_EQ(picture.size(), QSize(442, 449));

    std::vector<std::pair<QPoint, QPoint>> lines;
    std::vector<QRect> textBoxes;
    QPoint at;
    for (const Op& op : inst.record(442, 449)) {
        if (op.kind == Op::Kind::MoveTo)
            at = QPoint(op.x, op.y);
        if (op.kind == Op::Kind::LineTo && QPoint(op.x, op.y) != at)
            lines.emplace_back(std::exchange(at, QPoint(op.x, op.y)), QPoint(op.x, op.y));
        if (op.kind == Op::Kind::TextOut)
            textBoxes.push_back(QRect(op.x - 2, op.y - 2, 64, 22));
    }
    for (const auto& [a, b] : lines) {
        const QPoint mid = (a + b) / 2;
        bool ink = false;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                ink = ink || (picture.valid(mid + QPoint(dx, dy)) && picture.pixel(mid + QPoint(dx, dy)) != kWhite);
        EXPECT_TRUE(ink || !picture.rect().contains(mid)) << "line to " << b.x() << ", " << b.y();
    }
    int checked = 0;
    for (int y = 0; y < picture.height(); y += 7) {
        for (int x = 0; x < picture.width(); x += 7) {
            const bool nearLine = std::any_of(lines.begin(), lines.end(),
                                              [&](const auto& l) { return distance(QPointF(x, y), l.first, l.second) < 3; });
            const bool inText = std::any_of(textBoxes.begin(), textBoxes.end(), [&](QRect r) { return r.contains(x, y); });
            if (!nearLine && !inText) {
                EXPECT_EQ(picture.pixel(x, y), kWhite) << x << ", " << y;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 2000);
}

// Width 0 is the thinnest line; a text in its own colour leaves the pen's
// colour to the line after it.
TEST(QtSurfaces, PenWidthsAndColours)
{
    for (int width : {0, 1, 3, 9}) {
        QImage image = whiteImage(60, 40);
        {
            RasterSurface s(image);
            s.setPenWidth(width);
            s.setPenColor(makeColor(0, 0, 255));
            s.setFontColor(makeColor(255, 0, 0));
            s.textOut(0, 0, "V1");
            s.moveTo(15, 30);
            s.lineTo(45, 30);
        }
        int inked = 0;
        for (int y = 20; y < 40; ++y)
            inked += image.pixel(30, y) == qRgb(0, 0, 255);
        EXPECT_EQ(inked, std::max(width, 1)) << "pen width " << width;
    }
}

TEST(QtSurfaces, FailedDrawingKeepsThePreviousPicture)
{
    Installation good, bad;
    good.solve();
    bad.state.line1Closed = bad.state.line2Closed = bad.state.line3Closed = false;
    bad.solve();
    QImage picture;
    drawDiagramBitmap(picture, good.state, good.settings, 442, 449);
    const QImage before = picture.copy();
    EXPECT_EQ(errorKind([&] { drawDiagramBitmap(picture, bad.state, bad.settings, 300, 300); }),
              int(FloatError::Kind::DivisionByZero));
    EXPECT_EQ(picture, before);
    EXPECT_EQ(errorKind([&] { drawDiagramSvg(bad.state, bad.settings, 300, 300); }),
              int(FloatError::Kind::DivisionByZero));

    drawDiagramBitmap(picture, good.state, good.settings, 0, 449);
    EXPECT_TRUE(picture.isNull()) << "an empty size gives an empty picture";
}

// Rounding-noise currents (currentScale about 1E17) put the ampere bar's end
// at the clamped pixel: every surface must cope, at any pen width.
TEST(QtSurfaces, HugeCoordinatesAreClipped)
{
    Installation inst;
    inst.state.neutralClosed = false;
    inst.state.line2Closed = inst.state.line3Closed = false;
    inst.solve({"10", "0", "10", "10", "5", "10"}).allFlags(true);
    for (int width : {0, 1, 9}) {
        inst.settings.voltageThickness = inst.settings.currentThickness = width;
        QImage picture;
        drawDiagramBitmap(picture, inst.state, inst.settings, 442, 449);
        EXPECT_EQ(picture.pixel(221, 20), qRgb(166, 202, 240)) << width;
        EXPECT_EQ(picture.pixel(441, 20), qRgb(166, 202, 240)) << width;
        EXPECT_TRUE(QSvgRenderer(drawDiagramSvg(inst.state, inst.settings, 442, 449)).isValid()) << width;
    }
}
