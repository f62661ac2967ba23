// The enhanced-metafile writer: its header, its text encoding, and the
// diagram it records, replayed record by record against the recording
// surface; then two outside readers (printemf, emf2svg-conv) read it.
#include "tst_emf_reader.h"

#include "diagram/composition.h"
#include "diagram/emf/emfdiagram.h"
#include "diagram/emf/emfsurface.h"
#include "model/fperror.h"
#include "model/solver.h"

#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdint>
#include <QtTest>

#include <cmath>

using namespace kelvoran;
using testsupport::playEmf;

namespace {

class Fields : public SolverView {
public:
    std::string texts[6] = {"10", "0", "10", "-5", "5", "10"};
    std::string fieldText(int index) const override { return texts[index]; }
    void setResultText(ResultLabel, const std::string&) override {}
    void reportShortCircuit() override {}
};

QByteArray toBytes(const std::vector<std::uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

} // namespace

class TstEmf : public QObject {
    Q_OBJECT

    InstallationState state;
    DisplaySettings settings;

private slots:
    void init()
    {
        initializeDefaults(state, settings);
        Fields fields;
        solveInstallation(state, settings, fields);
    }

    void headerCoversTheImage_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::newRow("design size") << 442 << 449;
        QTest::newRow("wide") << 1600 << 1634;
        QTest::newRow("one pixel") << 1 << 1;
    }
    void headerCoversTheImage()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        EmfSurface surface(w, h);
        surface.moveTo(0, 0);
        surface.lineTo(w - 1, h - 1);
        const QByteArray emf = toBytes(surface.finish());
        const auto play = playEmf(emf);
        QVERIFY2(play.valid, qPrintable(play.problem));
        QCOMPARE(play.header.signature, 0x464D4520u);
        QCOMPARE(play.header.bytes, static_cast<std::uint32_t>(emf.size()));
        QCOMPARE(play.header.records, static_cast<std::uint32_t>(play.types.size()));
        QCOMPARE(play.types.front(), emf::EMR_HEADER);
        QCOMPARE(play.types.back(), emf::EMR_EOF);
        // Bounds in pixels and frame in 0.01 mm, both inclusive, both the image.
        const std::int32_t bounds[4] = {0, 0, w - 1, h - 1};
        const std::int32_t frame[4] = {0, 0, static_cast<std::int32_t>(std::lround(w * 2540.0 / 96)) - 1,
                                       static_cast<std::int32_t>(std::lround(h * 2540.0 / 96)) - 1};
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(play.header.bounds[k], bounds[k]);
            QCOMPARE(play.header.frame[k], frame[k]);
        }
        // The reference device keeps 96 pixels to the inch.
        QCOMPARE(play.header.device[0] * 254, play.header.millimeters[0] * 960);
        // Second finish gives the same file and drawing after it is ignored.
        surface.lineTo(3, 3);
        QCOMPARE(toBytes(surface.finish()), emf);
    }

    void textSurvivesInUtf16()
    {
        EmfSurface surface(100, 100);
        surface.setFontColor(makeColor(0, 128, 0));
        surface.setFontUnderline(true);
        surface.textOut(10, 20, "a²Ud");
        surface.setFontUnderline(false);
        surface.setFontColor(makeColor(255, 0, 255));
        surface.textOut(30, 40, "Débordement 1.5E3 A");
        surface.textOut(0, 0, "");
        const auto play = playEmf(toBytes(surface.finish()));
        QVERIFY2(play.valid, qPrintable(play.problem));
        QCOMPARE(play.bkMode, emf::TRANSPARENT);
        QCOMPARE(play.textAlign, emf::TA_TOP_LEFT);
        QCOMPARE(play.texts.size(), std::size_t{2});
        QVERIFY(play.texts[0] == (testsupport::EmfText{10, 20, u"a²Ud", makeColor(0, 128, 0), true}));
        QVERIFY(play.texts[1] == (testsupport::EmfText{30, 40, u"Débordement 1.5E3 A", makeColor(255, 0, 255), false}));
        // The background and alignment are set before anything is written.
        const auto firstText = std::find(play.types.begin(), play.types.end(), emf::EMR_EXTTEXTOUTW);
        QVERIFY(std::find(play.types.begin(), firstText, emf::EMR_SETBKMODE) != firstText);
    }

    // A name far off the picture sits at the clamped 32-bit pixel limit: its
    // text bounds must saturate, not overflow (the sanitizer build checks).
    void textAtThePixelLimit()
    {
        EmfOptions options;
        options.advances = [](const std::u16string& text, bool) {
            return std::vector<std::int32_t>(text.size(), 1000);
        };
        EmfSurface surface(100, 100, options);
        surface.textOut(INT32_MAX, INT32_MAX, "IN");
        surface.textOut(INT32_MIN, INT32_MIN, "I1");
        const auto play = playEmf(toBytes(surface.finish()));
        QVERIFY2(play.valid, qPrintable(play.problem));
        QCOMPARE(play.texts.size(), std::size_t{2});
        QCOMPARE(play.texts[0].x, INT32_MAX);
        QCOMPARE(play.texts[1].y, INT32_MIN);
    }

    void utf8Decoding_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("expected");
        QTest::newRow("ascii") << QByteArray("VZ1") << QStringLiteral("VZ1");
        QTest::newRow("two-byte") << QByteArray("\xC3\xA9\xC2\xB2") << QStringLiteral("é²");
        QTest::newRow("three-byte") << QByteArray("\xE2\x82\xAC") << QStringLiteral("€");
        QTest::newRow("four-byte") << QByteArray("\xF0\x9D\x9C\x8B") << QString::fromUtf8("\xF0\x9D\x9C\x8B");
        QTest::newRow("stray byte") << QByteArray("a\xFF" "b") << QStringLiteral("a\uFFFDb");
        QTest::newRow("cut sequence") << QByteArray("a\xC3") << QStringLiteral("a\uFFFD");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF" "x") << QStringLiteral("\uFFFD\uFFFDx");
    }
    void utf8Decoding()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, expected);
        QCOMPARE(QString::fromStdU16String(utf8ToUtf16(utf8.toStdString())), expected);
    }

    // Every line and text of the diagram, with its colour, width and
    // underline, as the recording surface received it.
    void diagramReplaysLikeTheRecording_data()
    {
        QTest::addColumn<int>("variant");
        QTest::newRow("defaults") << 0;
        QTest::newRow("both constructions, wide pens") << 1;
        QTest::newRow("names off, zero pens") << 2;
        QTest::newRow("neutral open") << 3;
    }
    void diagramReplaysLikeTheRecording()
    {
        QFETCH(int, variant);
        if (variant == 1) {
            settings.constructVoltageComponents = settings.constructCurrentComponents = true;
            settings.voltageThickness = 3;
            settings.currentThickness = 7;
        } else if (variant == 2) {
            settings.nameVectors = false;
            settings.voltageThickness = settings.currentThickness = 0;
        } else if (variant == 3) {
            state.neutralClosed = false;
            Fields fields;
            solveInstallation(state, settings, fields);
        }
        const int w = 442, h = 449;
        RecordingSurface recording;
        drawDiagram(recording, state, settings, w, h);
        const auto expected = testsupport::replayOps(recording.ops());
        const auto play = playEmf(drawDiagramEmf(state, settings, w, h));
        QVERIFY2(play.valid, qPrintable(play.problem));
        QVERIFY(!expected.lines.empty());
        QCOMPARE(play.lines.size(), expected.lines.size());
        for (std::size_t i = 0; i < expected.lines.size(); ++i)
            QVERIFY2(play.lines[i] == expected.lines[i], qPrintable(QStringLiteral("line %1").arg(i)));
        QCOMPARE(play.texts.size(), expected.texts.size());
        for (std::size_t i = 0; i < expected.texts.size(); ++i)
            QVERIFY2(play.texts[i] == expected.texts[i],
                     qPrintable(QStringLiteral("text %1: ").arg(i) + QString::fromStdU16String(play.texts[i].text)));
    }

    void noCurrentStopsBeforeAnything()
    {
        state.veff = 0;
        setSourceVoltages(state);
        Fields fields;
        solveInstallation(state, settings, fields);
        QVERIFY_THROWS_EXCEPTION(FloatError, drawDiagramEmf(state, settings, 442, 449));
    }

    // Outside readers take the file: printemf lists every record, and
    // emf2svg-conv draws every line and text.
    void outsideReadersAcceptIt()
    {
        const QString printemf = QStandardPaths::findExecutable(QStringLiteral("printemf"));
        const QString emf2svg = QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv"));
        if (printemf.isEmpty() && emf2svg.isEmpty())
            QSKIP("neither printemf nor emf2svg-conv is installed");
        settings.constructCurrentComponents = true;
        const QByteArray emf = drawDiagramEmf(state, settings, 442, 449);
        const auto play = playEmf(emf);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("diagram.emf"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(emf);
        file.close();

        if (!printemf.isEmpty()) {
            QProcess p;
            p.start(printemf, {path});
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
            const QString listing = QString::fromUtf8(p.readAllStandardOutput());
            QCOMPARE(listing.count(QStringLiteral("*LINETO*")), static_cast<qsizetype>(play.lines.size()));
            QCOMPARE(listing.count(QStringLiteral("*EXTTEXTOUTW*")), static_cast<qsizetype>(play.texts.size()));
            QVERIFY(listing.contains(QStringLiteral("*EOF*")));
            QVERIFY(listing.contains(QStringLiteral("rclBounds\t\t: (0, 0) - (441, 448)")));
        }
        if (!emf2svg.isEmpty()) {
            const QString svgPath = dir.filePath(QStringLiteral("diagram.svg"));
            QProcess p;
            p.start(emf2svg, {QStringLiteral("-i"), path, QStringLiteral("-o"), svgPath});
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitCode(), 0);
            QFile svgFile(svgPath);
            QVERIFY(svgFile.open(QIODevice::ReadOnly));
            const QString svg = QString::fromUtf8(svgFile.readAll());
            QCOMPARE(svg.count(QStringLiteral("<path ")), static_cast<qsizetype>(play.lines.size()));
            QCOMPARE(svg.count(QStringLiteral("<text ")), static_cast<qsizetype>(play.texts.size()));
            QVERIFY(svg.contains(QStringLiteral("<![CDATA[VZ1]]>")));
            QVERIFY(svg.contains(QStringLiteral("text-decoration=\"underline\"")));
        }
    }
};

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    TstEmf test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_emf.moc"
