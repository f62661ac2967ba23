// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram window inside the whole application: the height rule on
// resize, the redraw at the new size, and the clipboard copy (SVG, EMF and
// PNG of the current state at the image's size, nothing on an error).
#include "diagram/composition.h"
#include "diagram/qtsurfaces.h"
#include "diagramclipboard.h"
#include "graphfresnel.h"
#include "emf_reader.h"
#include "widget_fixture.h"

#include <QMimeData>
#include <QPointer>
#include <QSvgRenderer>
#include <QtTest>

#include <algorithm>

namespace {

const QString kSvg = QStringLiteral("image/svg+xml");
const QString kPng = QStringLiteral("image/png");
const QString kEmfTypes[] = {QStringLiteral("image/emf"), QStringLiteral("image/x-emf"),
                             QStringLiteral("application/x-openoffice-emf;windows_formatname=\"Image EMF\"")};

QImage freshPicture(QSize size)
{
    QImage picture;
    kelvoran::drawDiagramBitmap(picture, installation, settings, size.width(), size.height());
    return picture;
}

QImage shown() { return Form4->image()->picture().convertToFormat(QImage::Format_RGB32); }
const QMimeData* clipboard() { return QGuiApplication::clipboard()->mimeData(); }
QImage clipboardPng() { return QImage::fromData(clipboard()->data(kPng), "PNG").convertToFormat(QImage::Format_RGB32); }

// The PNG has three pixels per pixel of the window's picture, and says so
// in its resolution: it prints at the same size. Seen from afar it is that
// picture but for the glyphs' finer shapes and a pixel's rounding of the
// slanted lines: the share of inked pixels of each with ink of the other
// within a pixel of the picture.
double pngLikeness(const QImage& picture)
{
    const QImage png = clipboardPng();
    if (png.size() != picture.size() * 3 || png.dotsPerMeterX() != picture.dotsPerMeterX() * 3
        || png.dotsPerMeterY() != picture.dotsPerMeterY() * 3)
        return -1;
    const auto ink = [](const QImage& image, int x, int y, int radius) {
        for (int dy = -radius; dy <= radius; ++dy)
            for (int dx = -radius; dx <= radius; ++dx)
                if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) != qRgb(255, 255, 255))
                    return true;
        return false;
    };
    int inked = 0, matched = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            if (ink(picture, x, y, 0)) {
                ++inked;
                matched += ink(png, 3 * x + 1, 3 * y + 1, 4);
            }
            if (ink(png, 3 * x + 1, 3 * y + 1, 0)) {
                ++inked;
                matched += ink(picture, x, y, 1);
            }
        }
    return inked ? double(matched) / inked : 1;
}

QRect svgViewBox() { return QSvgRenderer(clipboard()->data(kSvg)).viewBox(); }
void copy() { click(Form4, "ToolButton1"); }

void resizeTo(int w, int h)
{
    Form4->resize(w, h);
    QCoreApplication::processEvents();
}

} // namespace

class TstDiagramWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(!Form4->isVisible());
        QCOMPARE(Form4->frameGeometry().width(), 450);
        QCOMPARE(Form4->frameGeometry().height() - Form4->frameGeometry().width(), 75);
        Form4->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form4));
    }

    void init() { QGuiApplication::clipboard()->clear(); }

    // The user sets the width; the height follows it, and the diagram is
    // drawn afresh at the image's new size, never stretched. The window
    // never grows beyond what the screen shows (width -1: the largest).
    void resizeFollowsTheWidth_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<int>("width");
        QTest::newRow("wider, too low") << QSize(600, 300) << 600;
        QTest::newRow("narrower, too high") << QSize(320, 900) << 320;
        QTest::newRow("bottom edge only") << QSize(320, 500) << 320;
        QTest::newRow("wider than the screen") << QSize(1100, 400) << -1;
        QTest::newRow("20,000 pixels") << QSize(20000, 20000) << -1;
    }
    void resizeFollowsTheWidth()
    {
        QFETCH(QSize, asked);
        QFETCH(int, width);
        resizeTo(asked.width(), asked.height());
        const QRect outer = Form4->frameGeometry();
        QTRY_COMPARE(outer.height(), outer.width() + 75);
        if (width < 0) {
            const QRect area = Form4->screen()->availableGeometry();
            QCOMPARE(outer.width(), std::min(area.width(), area.height() - 75));
        } else {
            QCOMPARE(Form4->width(), width);
        }
        const QSize image = Form4->image()->size();
        QCOMPARE(image, QSize(Form4->width(), Form4->height() - TForm4::kToolBarHeight));
        QCOMPARE(shown(), freshPicture(image));
    }

    // One content holds every picture, all of the image's current size; the
    // EMF holds the lines and texts the diagram drew (each name's underline a
    // line of its own), the PNG is the window's picture, three times denser.
    void copyHasTheImageSize()
    {
        resizeTo(700, 10);
        const QSize size = Form4->image()->size();
        copy();
        QVERIFY(clipboard()->hasFormat(kSvg) && clipboard()->hasFormat(kPng));
        QCOMPARE(svgViewBox(), QRect(QPoint(0, 0), size));
        const QByteArray emf = clipboard()->data(kEmfTypes[0]);
        for (const QString& type : kEmfTypes)
            QCOMPARE(clipboard()->data(type), emf);
        const auto play = testsupport::playEmf(emf);
        QCOMPARE(play.bounds[2], size.width() - 1);
        QCOMPARE(play.bounds[3], size.height() - 1);
        QCOMPARE(play.frame[2] + 1, qRound(size.width() * 2540.0 / 96));
        kelvoran::RecordingSurface recording;
        kelvoran::drawDiagram(recording, installation, settings, size.width(), size.height());
        const std::string departure = testsupport::departureFromRecording(play, recording.ops());
        QVERIFY2(departure.empty(), departure.c_str());
        QVERIFY(pngLikeness(shown()) > 0.99);
    }

    // The second copy replaces the first, whose pictures are released.
    void secondCopyReplacesTheFirst()
    {
        resizeTo(500, 500);
        copy();
        const QPointer<const QMimeData> first = clipboard();
        const QByteArray firstEmf = clipboard()->data(kEmfTypes[1]);
        resizeTo(640, 640);
        copy();
        const QSize size = Form4->image()->size();
        QCOMPARE(svgViewBox().size(), size);
        QCOMPARE(testsupport::playEmf(clipboard()->data(kEmfTypes[1])).bounds[2], 639);
        QVERIFY(clipboard()->data(kEmfTypes[1]) != firstEmf);
        QCOMPARE(clipboardPng().size(), size * 3);
        QVERIFY(first.isNull());
    }

    // A solve that does not redraw: the window keeps its drawing, the copy
    // is drawn from the new results.
    void copyIsDrawnFromTheCurrentState()
    {
        const QImage before = shown();
        QLineEdit* edit5 = field(Form1, 5);
        edit5->setText(QStringLiteral("20"));
        click(Form1, "BitBtn3");
        copy();
        QCOMPARE(shown(), before);
        QVERIFY(pngLikeness(before) < 0.5);
        QVERIFY(pngLikeness(freshPicture(before.size())) > 0.99);
        edit5->setText(QStringLiteral("5"));
        Form1->solve();
    }

    // No current to scale by: the error box, the clipboard untouched, and on
    // resize the new size with the former picture, reported once.
    void drawingErrorTouchesNothing()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
        const QImage formerPicture = shown();
        installation.veff = 0;
        kelvoran::setSourceVoltages(installation);
        Form1->solve();

        Answer error = answerNext<QMessageBox>();
        copy();
        QVERIFY(error->answered);
        QCOMPARE(error->text, QStringLiteral("Opération en virgule flottante incorrecte"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("avant"));
        QVERIFY(!clipboard()->hasFormat(kEmfTypes[0]) && !clipboard()->hasFormat(kPng));

        error = answerNext<QMessageBox>();
        resizeTo(520, 300);
        QTRY_VERIFY(error->answered);
        QCOMPARE(Form4->frameGeometry().height(), Form4->frameGeometry().width() + 75);
        QCOMPARE(shown(), formerPicture);
        error = answerNext<QMessageBox>({}, 300);
        QTRY_VERIFY(error->answered || error->timedOut);
        QVERIFY(!error->answered);

        installation.veff = 220;
        kelvoran::setSourceVoltages(installation);
        Form1->solve();
    }

    // A large window's PNG has fewer pixels per pixel, so it is quick to
    // make, and prints at the same size as the window's picture.
    void largeCopyKeepsItsPrintedSize()
    {
        const QSize size(1600, 1634);
        copyDiagramToClipboard(installation, settings, size);
        const QImage png = clipboardPng();
        const QImage picture = freshPicture(size);
        QVERIFY(png.width() > 2 * size.width() && qint64{png.width()} * png.height() <= 12'000'000);
        QVERIFY(qAbs(double(png.width()) / png.dotsPerMeterX() / size.width() * picture.dotsPerMeterX() - 1) < 1e-3);
        QVERIFY(qAbs(double(png.height()) / png.dotsPerMeterY() / size.height() * picture.dotsPerMeterY() - 1) < 1e-3);
    }

    // A raster too large for the memory: the box says so and the clipboard
    // keeps what it had, with no PNG offered that could not be delivered.
    void tooLargeACopyTouchesNothing()
    {
        QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
        Answer box = answerNext<QMessageBox>();
        copyDiagramToClipboard(installation, settings, QSize(20000, 20000));
        QVERIFY(box->answered);
        QCOMPARE(box->text, QStringLiteral("Mémoire insuffisante pour dessiner le diagramme."));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("avant"));
        QVERIFY(!clipboard()->hasFormat(kPng) && !clipboard()->hasFormat(kSvg));
    }
};

KELVORAN_WIDGET_TEST_MAIN(TstDiagramWindow, false)

#include "tst_diagramwindow.moc"
