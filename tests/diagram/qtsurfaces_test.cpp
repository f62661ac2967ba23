#include "diagram/composition.h"
#include "diagram/qtsurfaces.h"
#include "diagram/recordingsurface.h"
#include "model/fperror.h"
#include "testinstallation.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using namespace kelvoran;
using test::Installation;
using Op = SurfaceOp;

namespace {

// Text needs a QGuiApplication; gtest_discover_tests lists the tests
// without running environments, so creating it here is safe.
class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "diagram_qt_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<QGuiApplication>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QGuiApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const qtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

std::vector<Op> record(const Installation& inst, int width, int height)
{
    RecordingSurface canvas;
    drawDiagram(canvas, inst.state, inst.settings, width, height);
    return canvas.ops();
}

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

struct Segment {
    QPoint from, to;
    TColor color;
    int width;
};

// The visible lines of a recording (a zero-length line draws nothing).
std::vector<Segment> segmentsOf(const std::vector<Op>& ops)
{
    std::vector<Segment> out;
    QPoint at;
    TColor color = 0;
    int width = 0;
    for (const Op& op : ops) {
        if (op.kind == Op::Kind::PenColor)
            color = op.color;
        if (op.kind == Op::Kind::PenWidth)
            width = op.width;
        if (op.kind == Op::Kind::MoveTo)
            at = QPoint(op.x, op.y);
        if (op.kind == Op::Kind::LineTo) {
            const QPoint to(op.x, op.y);
            if (to != at)
                out.push_back({at, to, color, width});
            at = to;
        }
    }
    return out;
}

double distanceToSegment(QPointF p, const Segment& s)
{
    const QPointF a = s.from, b = s.to;
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0);
    const QPointF d = p - (a + t * ab);
    return std::hypot(d.x(), d.y());
}

QString attr(const QXmlStreamAttributes& attributes, const char* name)
{
    return attributes.value(QLatin1String(name)).toString();
}

bool isWhite(const QImage& image, int x, int y) { return image.pixel(x, y) == qRgb(255, 255, 255); }

bool inkNear(const QImage& image, QPoint p)
{
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy)
            if (image.valid(p.x() + dx, p.y() + dy) && !isWhite(image, p.x() + dx, p.y() + dy))
                return true;
    return false;
}

// The ink's bounding box on a white image.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (!isWhite(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

QImage whiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int defaultAscent()
{
    QImage probe = whiteImage(1, 1);
    QPainter painter(&probe);
    return painter.fontMetrics().ascent();
}

} // namespace

TEST(QtSurfaces, RasterAndSvgReceiveTheRecordedOperations)
{
    Installation inst;
    inst.solve().allFlagsOn();
    inst.settings.voltageThickness = 2;
    inst.settings.currentThickness = 3;
    const std::vector<Op> expected = record(inst, 442, 449);

    QImage image = whiteImage(442, 449);
    {
        RasterSurface raster(image);
        RecordingSurface tap(&raster);
        drawDiagram(tap, inst.state, inst.settings, 442, 449);
        EXPECT_EQ(tap.ops(), expected);
    }
    SvgSurface svg(442, 449);
    RecordingSurface tap(&svg);
    drawDiagram(tap, inst.state, inst.settings, 442, 449);
    EXPECT_EQ(tap.ops(), expected);
    EXPECT_FALSE(svg.finish().isEmpty());
}

// The SVG holds the recorded lines and texts at the recorded pixels, in
// order, with their colours and widths: a name's baseline is its top-left
// corner plus the font's ascent, and each name is followed by its underline.
TEST(QtSurfaces, SvgGeometryIsTheRecordedGeometry)
{
    Installation inst;
    inst.state.neutralClosed = false;
    inst.solve().allFlagsOn().distinctColors();
    inst.settings.voltageThickness = 0; // the thinnest line: one pixel wide
    inst.settings.currentThickness = 3;
    const std::vector<Op> ops = record(inst, 442, 449);
    const QByteArray bytes = drawDiagramMetafile(inst.state, inst.settings, 442, 449);

    struct Element {
        bool isText = false;
        QString points; // polyline
        QString stroke, strokeWidth, linecap;
        int x = 0, y = 0; // text
        QString fill, text;
    };
    std::vector<Element> elements;
    QXmlStreamReader xml(bytes);
    std::vector<QXmlStreamAttributes> groups;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"g")
            groups.push_back(xml.attributes());
        if (xml.isEndElement() && xml.name() == u"g")
            groups.pop_back();
        if (xml.isStartElement() && xml.name() == u"polyline") {
            Element e{};
            e.points = attr(xml.attributes(), "points").trimmed();
            e.stroke = attr(groups.back(), "stroke");
            e.strokeWidth = attr(groups.back(), "stroke-width");
            e.linecap = attr(groups.back(), "stroke-linecap");
            elements.push_back(e);
        }
        if (xml.isStartElement() && xml.name() == u"text") {
            Element e{};
            e.isText = true;
            e.x = attr(xml.attributes(), "x").toInt();
            e.y = attr(xml.attributes(), "y").toInt();
            e.fill = attr(xml.attributes(), "fill");
            e.text = xml.readElementText();
            elements.push_back(e);
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();

    // Replay the recording into the elements it should have produced.
    const int ascent = defaultAscent();
    std::size_t next = 0;
    QPoint at;
    TColor pen = 0, font = 0;
    int width = 0;
    bool underline = false;
    int lines = 0, texts = 0;
    for (const Op& op : ops) {
        switch (op.kind) {
        case Op::Kind::PenColor: pen = op.color; break;
        case Op::Kind::PenWidth: width = op.width; break;
        case Op::Kind::FontUnderline: underline = op.underline; break;
        case Op::Kind::FontColor: font = op.color; break;
        case Op::Kind::MoveTo: at = QPoint(op.x, op.y); break;
        case Op::Kind::LineTo: {
            const QPoint to(op.x, op.y);
            if (to != at) {
                ASSERT_LT(next, elements.size());
                const Element& e = elements[next++];
                EXPECT_FALSE(e.isText) << describeOp(op);
                EXPECT_EQ(e.points, QStringLiteral("%1,%2 %3,%4").arg(at.x()).arg(at.y()).arg(to.x()).arg(to.y()));
                EXPECT_EQ(e.stroke, toQColor(pen).name()) << describeOp(op);
                EXPECT_EQ(e.strokeWidth, QString::number(std::max(width, 1))) << describeOp(op);
                EXPECT_EQ(e.linecap, u"round");
                ++lines;
            }
            at = to;
            break;
        }
        case Op::Kind::TextOut: {
            ASSERT_LT(next, elements.size());
            const Element& e = elements[next++];
            ASSERT_TRUE(e.isText) << describeOp(op);
            EXPECT_EQ(e.text.toStdString(), op.text);
            EXPECT_EQ(e.x, op.x) << op.text;
            EXPECT_EQ(e.y, op.y + ascent) << op.text;
            EXPECT_EQ(e.fill, toQColor(font).name()) << op.text;
            if (underline) {
                ASSERT_LT(next, elements.size());
                EXPECT_EQ(elements[next].isText, false) << op.text << " has no underline";
                EXPECT_EQ(elements[next].stroke, toQColor(font).name()) << op.text;
                ++next;
            }
            ++texts;
            break;
        }
        }
    }
    EXPECT_EQ(next, elements.size());
    EXPECT_GE(lines, 20);
    EXPECT_EQ(texts, 2 + 11 + 18);
}

TEST(QtSurfaces, SvgHasThePixelSizeAndNoBackground)
{
    Installation inst;
    inst.solve();
    const QByteArray bytes = drawDiagramMetafile(inst.state, inst.settings, 442, 449);

    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    ASSERT_EQ(xml.name(), u"svg");
    EXPECT_EQ(attr(xml.attributes(), "width"), u"442");
    EXPECT_EQ(attr(xml.attributes(), "height"), u"449");
    EXPECT_EQ(attr(xml.attributes(), "viewBox"), u"0 0 442 449");
    int rects = 0, images = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        rects += xml.isStartElement() && xml.name() == u"rect";
        images += xml.isStartElement() && xml.name() == u"image";
    }
    EXPECT_FALSE(xml.hasError());
    EXPECT_EQ(rects + images, 0);
    EXPECT_TRUE(bytes.contains(">VZ1<"));

    QSvgRenderer renderer(bytes);
    ASSERT_TRUE(renderer.isValid());
    EXPECT_EQ(renderer.defaultSize(), QSize(442, 449));
    QImage rendered(442, 449, QImage::Format_ARGB32);
    rendered.fill(Qt::transparent);
    QPainter painter(&rendered);
    renderer.render(&painter);
    painter.end();
    EXPECT_EQ(qAlpha(rendered.pixel(440, 5)), 0) << "no background";
    EXPECT_EQ(qAlpha(rendered.pixel(5, 440)), 0) << "no background";
    // VZ1 drawn over V1 (antialiased by the renderer): red, not black.
    const QRgb onVz1 = rendered.pixel(300, 220);
    EXPECT_GT(qAlpha(onVz1), 0);
    EXPECT_GT(qRed(onVz1), 0);
    EXPECT_EQ(qGreen(onVz1) + qBlue(onVz1), 0);
}

TEST(QtSurfaces, BitmapHasTheRecordedLinesOnWhite)
{
    Installation inst;
    inst.solve().allFlagsOn();
    QImage picture;
    drawDiagramBitmap(picture, inst.state, inst.settings, 442, 449);
    ASSERT_EQ(picture.size(), QSize(442, 449));
    EXPECT_EQ(picture.format(), QImage::Format_RGB32);

    const std::vector<Op> ops = record(inst, 442, 449);
    const std::vector<Segment> segments = segmentsOf(ops);
    for (const Segment& s : segments) {
        const QPoint mid = (s.from + s.to) / 2;
        if (picture.rect().contains(mid)) {
            EXPECT_TRUE(inkNear(picture, mid)) << "line to " << s.to.x() << ", " << s.to.y();
        }
    }
    std::vector<QRect> textBoxes;
    for (const Op& op : ops)
        if (op.kind == Op::Kind::TextOut)
            textBoxes.push_back(QRect(op.x - 2, op.y - 2, 64, 22));
    int checked = 0;
    for (int y = 0; y < picture.height(); y += 7) {
        for (int x = 0; x < picture.width(); x += 7) {
            const bool nearLine = std::any_of(segments.begin(), segments.end(),
                                              [&](const Segment& s) { return distanceToSegment(QPointF(x, y), s) < 3; });
            const bool inText = std::any_of(textBoxes.begin(), textBoxes.end(),
                                            [&](const QRect& r) { return r.contains(x, y); });
            if (!nearLine && !inText) {
                EXPECT_TRUE(isWhite(picture, x, y)) << x << ", " << y;
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 2000);
}

TEST(QtSurfaces, BitmapColoursAndScaleBarRows)
{
    Installation inst;
    inst.solve().allFlagsOff();
    QImage picture;
    drawDiagramBitmap(picture, inst.state, inst.settings, 442, 442);
    // V1 runs along row 237 from the origin's column 205 to 427.
    for (int x = 210; x <= 420; x += 10)
        EXPECT_EQ(picture.pixel(x, 237), qRgb(0, 0, 0)) << x;
    EXPECT_TRUE(isWhite(picture, 300, 236));
    EXPECT_TRUE(isWhite(picture, 300, 238));
    // The bars: black from column 1 to 102 on row 5, sky blue to 114 on row 20.
    for (int x = 1; x <= 102; ++x)
        EXPECT_EQ(picture.pixel(x, 5), qRgb(0, 0, 0)) << x;
    for (int x = 1; x <= 114; ++x)
        EXPECT_EQ(picture.pixel(x, 20), qRgb(166, 202, 240)) << x;
    EXPECT_TRUE(isWhite(picture, 0, 5));
    EXPECT_TRUE(isWhite(picture, 0, 20));
}

TEST(QtSurfaces, PenWidthsAndTextPlacement)
{
    struct Row {
        int width, rows;
    } const rows[] = {{0, 1}, {1, 1}, {3, 3}, {9, 9}};
    for (const Row& r : rows) {
        QImage image = whiteImage(60, 40);
        {
            RasterSurface s(image);
            s.setPenWidth(r.width);
            s.setPenColor(makeColor(0, 0, 255));
            s.moveTo(15, 20);
            s.lineTo(45, 20);
        }
        int inked = 0;
        for (int y = 0; y < 40; ++y)
            inked += image.pixel(30, y) == qRgb(0, 0, 255);
        EXPECT_EQ(inked, r.rows) << "pen width " << r.width;
    }

    const int ascent = defaultAscent();
    for (bool underline : {false, true}) {
        QImage image = whiteImage(120, 60);
        {
            RasterSurface s(image);
            s.setFontUnderline(underline);
            s.setFontColor(makeColor(255, 0, 0));
            s.textOut(30, 20, "VZ1");
        }
        const QRect ink = inkBox(image);
        // The glyphs hang below the top-left corner and start at its column.
        EXPECT_GE(ink.top(), 20) << underline;
        EXPECT_LE(ink.top(), 20 + ascent / 2) << underline;
        EXPECT_GE(ink.left(), 30) << underline;
        EXPECT_LE(ink.left(), 32) << underline;
        // Capital letters sit on the baseline; only an underline goes below it.
        EXPECT_EQ(ink.bottom() > 20 + ascent, underline);
        bool fontColour = false;
        for (int y = ink.top(); y <= ink.bottom(); ++y)
            for (int x = ink.left(); x <= ink.right(); ++x)
                fontColour = fontColour || image.pixel(x, y) == qRgb(255, 0, 0);
        EXPECT_TRUE(fontColour) << underline;
    }

    // A text in its own colour leaves the pen's colour to the next line.
    QImage image = whiteImage(60, 40);
    {
        RasterSurface s(image);
        s.setPenColor(makeColor(0, 0, 255));
        s.setFontColor(makeColor(255, 0, 0));
        s.textOut(0, 0, "V1");
        s.moveTo(0, 35);
        s.lineTo(59, 35);
    }
    EXPECT_EQ(image.pixel(30, 35), qRgb(0, 0, 255));
}

TEST(QtSurfaces, FailedDrawingKeepsThePreviousPicture)
{
    struct Row {
        const char* what;
        std::function<void(Installation&)> setUp;
        FloatError::Kind kind;
    } const rows[] = {
        {"every line open",
         [](Installation& i) { i.state.line1Closed = i.state.line2Closed = i.state.line3Closed = false; },
         FloatError::Kind::DivisionByZero},
        {"zero source voltage",
         [](Installation& i) {
             i.state.veff = 0;
             setSourceVoltages(i.state);
         },
         FloatError::Kind::InvalidOperation},
    };
    Installation good;
    good.solve();
    for (const Row& r : rows) {
        QImage picture;
        drawDiagramBitmap(picture, good.state, good.settings, 442, 449);
        const QImage before = picture.copy();

        Installation bad;
        r.setUp(bad);
        bad.solve();
        EXPECT_EQ(errorKind([&] { drawDiagramBitmap(picture, bad.state, bad.settings, 300, 300); }), r.kind)
            << r.what;
        EXPECT_EQ(picture, before) << r.what;
        EXPECT_EQ(errorKind([&] { drawDiagramMetafile(bad.state, bad.settings, 300, 300); }), r.kind) << r.what;
    }
}

// Rounding-noise currents (currentScale about 1E17) put the ampere bar's end
// at the clamped pixel: every surface must cope, at any pen width.
TEST(QtSurfaces, HugeCoordinatesAreClipped)
{
    Installation inst;
    inst.state.neutralClosed = false;
    inst.state.line2Closed = inst.state.line3Closed = false;
    inst.solve({"10", "0", "10", "10", "5", "10"}).allFlagsOn();
    for (int width : {0, 1, 9}) {
        inst.settings.voltageThickness = inst.settings.currentThickness = width;
        for (QSize size : {QSize(442, 449), QSize(1600, 1675)}) {
            QImage picture;
            drawDiagramBitmap(picture, inst.state, inst.settings, size.width(), size.height());
            ASSERT_EQ(picture.size(), size);
            // The ampere bar is clipped at the right edge.
            EXPECT_EQ(picture.pixel(size.width() / 2, 20), qRgb(166, 202, 240)) << width;
            EXPECT_EQ(picture.pixel(size.width() - 1, 20), qRgb(166, 202, 240)) << width;
            const QByteArray svg = drawDiagramMetafile(inst.state, inst.settings, size.width(), size.height());
            EXPECT_TRUE(QSvgRenderer(svg).isValid());
        }
    }
}

TEST(QtSurfaces, EmptyPictureSize)
{
    Installation inst;
    inst.solve();
    QImage picture = whiteImage(10, 10);
    drawDiagramBitmap(picture, inst.state, inst.settings, 0, 449);
    EXPECT_TRUE(picture.isNull());
}
