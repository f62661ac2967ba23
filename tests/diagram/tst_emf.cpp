// SPDX-License-Identifier: GPL-3.0-or-later
// The enhanced-metafile writer: its header, its text encoding, and the
// diagram it records, played back record by record against the recording
// surface; its underlines, lines of their own on the raster's pixels; then
// an outside reader, printemf, lists it.
#include "emf_reader.h"

#include "testinstallation.h"
#include "diagram/emf/emfdiagram.h"
#include "diagram/qtsurfaces.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <iterator>

using namespace kelvoran;
using testsupport::playEmf;

namespace {

QByteArray toBytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

// The pixels where the raster's underlined text differs from the plain one.
QRect rasterUnderlinePixels(QSize size, int x, int y, const std::string& text)
{
    QImage images[2];
    for (int underlined = 0; underlined < 2; ++underlined) {
        images[underlined] = QImage(size, QImage::Format_RGB32);
        images[underlined].fill(Qt::white);
        RasterSurface surface(images[underlined]);
        surface.setFontUnderline(underlined != 0);
        surface.textOut(x, y, text);
    }
    QRect box;
    for (int row = 0; row < size.height(); ++row)
        for (int col = 0; col < size.width(); ++col)
            if (images[0].pixel(col, row) != images[1].pixel(col, row))
                box |= QRect(col, row, 1, 1);
    return box;
}

} // namespace

class TstEmf : public QObject {
    Q_OBJECT

private slots:
    // The header covers the image; texts keep their colour and underline in
    // UTF-16, on a transparent background set before any text.
    void headerAndTexts()
    {
        EmfSurface surface(442, 449);
        surface.moveTo(0, 0);
        surface.lineTo(441, 448);
        surface.setFontColor(makeColor(0, 128, 0));
        surface.setFontUnderline(true);
        surface.textOut(10, 20, "a²Ud");
        surface.setFontUnderline(false);
        surface.setFontColor(makeColor(255, 0, 255));
        surface.textOut(30, 40, "Débordement 1.5E3 A");
        surface.textOut(0, 0, "");
        surface.textOut(0, 0, "a\xFF\xF0\x9D\x9C\x8B");
        const QByteArray emf = toBytes(surface.finish());
        const auto play = playEmf(emf);
        QVERIFY2(!play.problem, play.problem);
        QCOMPARE(play.signature, emf::SIGNATURE);
        QCOMPARE(play.bytes, static_cast<std::uint32_t>(emf.size()));
        QCOMPARE(play.records, static_cast<std::uint32_t>(play.types.size()));
        // Bounds in pixels and frame in 0.01 mm, both inclusive.
        QCOMPARE(std::vector<std::int32_t>(play.bounds, play.bounds + 4), (std::vector<std::int32_t>{0, 0, 441, 448}));
        QCOMPARE(std::vector<std::int32_t>(play.frame, play.frame + 4), (std::vector<std::int32_t>{0, 0, 11694, 11879}));
        QCOMPARE(play.bkMode, emf::TRANSPARENT);
        QCOMPARE(play.textAlign, emf::TA_TOP_LEFT);
        const auto firstText = std::find(play.types.begin(), play.types.end(), emf::EMR_EXTTEXTOUTW);
        QVERIFY(std::find(play.types.begin(), firstText, emf::EMR_SETBKMODE) != firstText);
        QCOMPARE(play.texts.size(), std::size_t{3});
        QVERIFY(play.texts[0] == (testsupport::EmfText{10, 20, u"a²Ud", makeColor(0, 128, 0), false}));
        // Without the raster's geometry the underline is a guess one em down.
        QCOMPARE(play.underlines.size(), std::size_t{1});
        QCOMPARE(play.underlines[0].color, makeColor(0, 128, 0));
        QCOMPARE(play.underlines[0].y0, 20 + 12);
        QCOMPARE(play.lines.size(), std::size_t{1});
        QVERIFY(play.texts[1] == (testsupport::EmfText{30, 40, u"Débordement 1.5E3 A", makeColor(255, 0, 255), false}));
        // A stray byte becomes U+FFFD; a four-byte sequence a surrogate pair.
        QCOMPARE(QString::fromStdU16String(play.texts[2].text), QString::fromUtf8("a\uFFFD\xF0\x9D\x9C\x8B"));
        surface.lineTo(3, 3); // ignored once finished
        QCOMPARE(toBytes(surface.finish()), emf);
    }

    // A name far off the picture sits at the clamped 32-bit pixel limit: its
    // text bounds must saturate, not overflow (the sanitizer build checks).
    void textAtThePixelLimit()
    {
        EmfOptions options;
        options.advances = [](const std::u16string& text, bool) { return std::vector<std::int32_t>(text.size(), 1000); };
        EmfSurface surface(100, 100, options);
        surface.textOut(INT32_MAX, INT32_MAX, "IN");
        surface.textOut(INT32_MIN, INT32_MIN, "I1");
        const auto play = playEmf(toBytes(surface.finish()));
        QVERIFY2(!play.problem, play.problem);
        QCOMPARE(play.texts.size(), std::size_t{2});
        QCOMPARE(play.texts[0].x, INT32_MAX);
        QCOMPARE(play.texts[1].y, INT32_MIN);
    }

    // Every line and text of the diagram, with its colour, width and
    // underline, as the recording surface received it.
    void diagramReplaysLikeTheRecording_data()
    {
        QTest::addColumn<int>("variant");
        QTest::newRow("defaults") << 0;
        QTest::newRow("both constructions, wide pens") << 1;
        QTest::newRow("neutral open, names off, zero pens") << 2;
    }
    void diagramReplaysLikeTheRecording()
    {
        QFETCH(int, variant);
        test::Installation inst;
        DisplaySettings& d = inst.settings;
        inst.state.neutralClosed = variant != 2;
        inst.solve();
        if (variant == 1) {
            d.constructVoltageComponents = d.constructCurrentComponents = true;
            d.voltageThickness = 3;
            d.currentThickness = 7;
        } else if (variant == 2) {
            d.nameVectors = false;
            d.voltageThickness = d.currentThickness = 0;
        }
        const std::string departure = testsupport::departureFromRecording(
            playEmf(drawDiagramEnhancedMetafile(inst.state, d, 442, 449)), inst.record(442, 449));
        QVERIFY2(departure.empty(), departure.c_str());
    }

    // Each name is followed by one flat line in its colour that covers
    // exactly the pixels the raster's underline covers, in the application's
    // font and in larger ones (thicker underlines).
    void underlinesOnTheRasterPixels_data()
    {
        QTest::addColumn<int>("pixelSize");
        QTest::newRow("application font") << 0;
        QTest::newRow("20 px") << 20;
        QTest::newRow("40 px, thicker pen") << 40;
        QTest::newRow("53 px, three rows") << 53;
    }
    void underlinesOnTheRasterPixels()
    {
        QFETCH(int, pixelSize);
        const QFont applicationFont = QGuiApplication::font();
        QFont font = applicationFont;
        if (pixelSize)
            font.setPixelSize(pixelSize);
        QGuiApplication::setFont(font);
        test::Installation inst;
        inst.solve().settings.constructVoltageComponents = true;
        const QSize size(442, 449);
        const auto play = playEmf(drawDiagramEnhancedMetafile(inst.state, inst.settings, size.width(), size.height()));
        QVERIFY2(!play.problem, play.problem);
        QVERIFY(std::none_of(play.texts.begin(), play.texts.end(), [](const auto& t) { return t.underline; }));

        std::vector<testsupport::EmfText> names; // every text but the scale labels ("100 V")
        std::copy_if(play.texts.begin(), play.texts.end(), std::back_inserter(names),
                     [](const auto& t) { return t.text.find(u' ') == std::u16string::npos; });
        QCOMPARE(play.underlines.size(), names.size());
        QVERIFY(names.size() >= 10);
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto& line = play.underlines[i];
            const QString text = QString::fromStdU16String(names[i].text);
            QVERIFY2(line.y0 == line.y1 && line.x0 == names[i].x && line.color == names[i].color, qPrintable(text));
            // A pen n wide on row r covers rows r - n/2 to r + (n-1)/2, columns x0 to x1 - 1.
            const QRect emf(QPoint(line.x0, line.y0 - line.width / 2),
                            QPoint(line.x1 - 1, line.y0 + (line.width - 1) / 2));
            // Unclipped: names near the right edge run past the picture.
            const QRect raster = rasterUnderlinePixels(size * 2, names[i].x, names[i].y, text.toStdString());
            const auto describe = [](QRect r) {
                return QStringLiteral("(%1, %2) %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
            };
            QVERIFY2(emf == raster,
                     qPrintable(QStringLiteral("%1: EMF %2, raster %3").arg(text, describe(emf), describe(raster))));
        }
        QGuiApplication::setFont(applicationFont);
    }

    void printemfListsEveryRecord()
    {
        const QString printemf = QStandardPaths::findExecutable(QStringLiteral("printemf"));
        if (printemf.isEmpty())
            QSKIP("printemf is not installed");
        test::Installation inst;
        inst.solve().settings.constructCurrentComponents = true;
        const QByteArray emf = drawDiagramEnhancedMetafile(inst.state, inst.settings, 442, 449);
        const auto play = playEmf(emf);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("diagram.emf")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(emf) == emf.size());
        file.close();
        QProcess p;
        p.start(printemf, {file.fileName()});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        const QString listing = QString::fromUtf8(p.readAllStandardOutput());
        QCOMPARE(listing.count(QStringLiteral("*LINETO*")),
                 static_cast<qsizetype>(play.lines.size() + play.underlines.size()));
        QCOMPARE(listing.count(QStringLiteral("*EXTTEXTOUTW*")), static_cast<qsizetype>(play.texts.size()));
        QVERIFY(listing.contains(QStringLiteral("*EOF*")));
        QVERIFY(listing.contains(QStringLiteral("rclBounds\t\t: (0, 0) - (441, 448)")));
    }
};

QTEST_MAIN(TstEmf)

#include "tst_emf.moc"
