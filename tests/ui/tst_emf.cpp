// The enhanced-metafile writer: its header, its text encoding, and the
// diagram it records, played back record by record against the recording
// surface; then an outside reader, printemf, lists it.
#include "tst_emf_reader.h"

#include "../diagram/testinstallation.h"
#include "diagram/emf/emfdiagram.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace kelvoran;
using testsupport::playEmf;

namespace {

QByteArray toBytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
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
        QVERIFY(play.texts[0] == (testsupport::EmfText{10, 20, u"a²Ud", makeColor(0, 128, 0), true}));
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
        const auto expected = testsupport::replayOps(inst.record(442, 449));
        const auto play = playEmf(drawDiagramEmf(inst.state, d, 442, 449));
        QVERIFY2(!play.problem, play.problem);
        QVERIFY(!expected.lines.empty());
        QCOMPARE(play.lines.size(), expected.lines.size());
        for (std::size_t i = 0; i < expected.lines.size(); ++i)
            QVERIFY2(play.lines[i] == expected.lines[i], qPrintable(QStringLiteral("line %1").arg(i)));
        QCOMPARE(play.texts.size(), expected.texts.size());
        for (std::size_t i = 0; i < expected.texts.size(); ++i)
            QVERIFY2(play.texts[i] == expected.texts[i], qPrintable(QString::fromStdU16String(play.texts[i].text)));
    }

    void printemfListsEveryRecord()
    {
        const QString printemf = QStandardPaths::findExecutable(QStringLiteral("printemf"));
        if (printemf.isEmpty())
            QSKIP("printemf is not installed");
        test::Installation inst;
        inst.solve().settings.constructCurrentComponents = true;
        const QByteArray emf = drawDiagramEmf(inst.state, inst.settings, 442, 449);
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
        QCOMPARE(listing.count(QStringLiteral("*LINETO*")), static_cast<qsizetype>(play.lines.size()));
        QCOMPARE(listing.count(QStringLiteral("*EXTTEXTOUTW*")), static_cast<qsizetype>(play.texts.size()));
        QVERIFY(listing.contains(QStringLiteral("*EOF*")));
        QVERIFY(listing.contains(QStringLiteral("rclBounds\t\t: (0, 0) - (441, 448)")));
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TstEmf test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_emf.moc"
