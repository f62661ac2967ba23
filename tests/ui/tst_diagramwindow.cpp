// The diagram window inside the whole application: the height rule on
// resize, the redraw at the new size, and the clipboard copy (SVG, EMF and
// PNG of the current state at the image's size, nothing on an error).
#include "tst_dialogs_support.h"

#include "diagram/composition.h"
#include "diagram/emf/emfdiagram.h"
#include "diagram/qtsurfaces.h"
#include "graphfresnel.h"
#include "model/fperror.h"

#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using namespace testsupport;

namespace {

const QString kEmfTypes[] = {QStringLiteral("image/emf"), QStringLiteral("image/x-emf"),
                             QStringLiteral("application/x-openoffice-emf;windows_formatname=\"Image EMF\"")};

QImage freshPicture(QSize size)
{
    QImage picture;
    kelvoran::drawDiagramBitmap(picture, installation, settings, size.width(), size.height());
    return picture;
}

QImage shown()
{
    return Form4->image()->picture().convertToFormat(QImage::Format_RGB32);
}

const QMimeData* clipboard()
{
    return QGuiApplication::clipboard()->mimeData();
}

QImage clipboardPng()
{
    return QImage::fromData(clipboard()->data(QStringLiteral("image/png")), "PNG").convertToFormat(QImage::Format_RGB32);
}

QString svgViewBox(const QByteArray& svg)
{
    static const QRegularExpression viewBox(QStringLiteral("viewBox=\"([^\"]*)\""));
    return viewBox.match(QString::fromUtf8(svg)).captured(1);
}

void copy()
{
    QTest::mouseClick(Form4->findChild<QToolButton*>(QStringLiteral("ToolButton1")), Qt::LeftButton);
}

// The image below the tool bar for a client width, by the outer-height rule.
QSize expectedImage(int clientWidth)
{
    const QSize frame = Form4->frameGeometry().size() - Form4->size();
    return QSize(clientWidth, clientWidth + frame.width() + 75 - frame.height() - TForm4::kToolBarHeight);
}

QString viewBoxOf(QSize size)
{
    return QStringLiteral("0 0 %1 %2").arg(size.width()).arg(size.height());
}

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
        QVERIFY(Form1 && Form4);
        QVERIFY(!Form4->isVisible());
        // Created at its design size, the height already following the rule.
        QCOMPARE(Form4->frameGeometry().width(), 450);
        QCOMPARE(Form4->frameGeometry().topLeft(), QPoint(307, 142));
        QCOMPARE(Form4->frameGeometry().height() - Form4->frameGeometry().width(), 75);
        QCOMPARE(Form4->findChild<QToolBar*>(QStringLiteral("ToolBar1"))->height(), TForm4::kToolBarHeight);
        auto* button = Form4->findChild<QToolButton*>(QStringLiteral("ToolButton1"));
        QCOMPARE(button->size(), QSize(39, 38));
        QCOMPARE(button->icon().availableSizes().value(0), QSize(32, 32));
        QCOMPARE(Form4->image()->geometry(), QRect(0, 41, Form4->width(), Form4->height() - 41));
        QVERIFY(!(Form4->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Form4->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!Form4->windowIcon().isNull());

        Form4->show();
        QVERIFY(QTest::qWaitForWindowExposed(Form4));
    }

    void init()
    {
        QGuiApplication::clipboard()->clear();
    }

    // The user sets the width; the height follows it, and the diagram is
    // drawn afresh at the image's new size, never stretched.
    void resizeFollowsTheWidth_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::newRow("wider, too low") << QSize(600, 300);
        QTest::newRow("narrower, too high") << QSize(320, 900);
        QTest::newRow("bottom edge only") << QSize(320, 500);
        QTest::newRow("back to design") << QSize(450, 517);
        QTest::newRow("large") << QSize(1100, 400);
    }
    void resizeFollowsTheWidth()
    {
        QFETCH(QSize, asked);
        resizeTo(asked.width(), asked.height());
        QTRY_COMPARE(Form4->frameGeometry().height(), Form4->frameGeometry().width() + 75);
        QCOMPARE(Form4->width(), asked.width());
        const QSize image = Form4->image()->size();
        QCOMPARE(image, QSize(Form4->width(), Form4->height() - 41));
        QCOMPARE(Form4->image()->picture().size(), image);
        QCOMPARE(shown(), freshPicture(image));
        QCOMPARE(Form4->windowTitle(), QStringLiteral("Form4"));
    }

    // One content holds every picture, all of the image's current size.
    void copyAfterResizeHasTheNewSize()
    {
        resizeTo(700, 10);
        const QSize size = Form4->image()->size();
        QCOMPARE(size, expectedImage(700));
        copy();
        const QMimeData* mime = clipboard();
        QVERIFY(mime);
        for (const QString& type : kEmfTypes)
            QVERIFY2(mime->hasFormat(type), qPrintable(type));
        QVERIFY(mime->hasFormat(QStringLiteral("image/svg+xml")));
        QVERIFY(mime->hasFormat(QStringLiteral("image/png")));

        const QByteArray svg = mime->data(QStringLiteral("image/svg+xml"));
        QCOMPARE(svgViewBox(svg), viewBoxOf(size));
        QCOMPARE(QSvgRenderer(svg).viewBox(), QRect(QPoint(0, 0), size));

        const QByteArray emf = mime->data(kEmfTypes[0]);
        for (const QString& type : kEmfTypes)
            QCOMPARE(mime->data(type), emf);
        const EmfPlayback play = playEmf(emf);
        QVERIFY2(play.valid, qPrintable(play.problem));
        QCOMPARE(play.header.bounds[2], size.width() - 1);
        QCOMPARE(play.header.bounds[3], size.height() - 1);
        QCOMPARE(play.header.frame[2] + 1, qRound(size.width() * 2540.0 / 96));
        QCOMPARE(play.header.frame[3] + 1, qRound(size.height() * 2540.0 / 96));
        // The EMF holds the lines and texts the diagram drew, in order.
        kelvoran::RecordingSurface recording;
        kelvoran::drawDiagram(recording, installation, settings, size.width(), size.height());
        const Drawn drawn = replayOps(recording.ops());
        QVERIFY(play.lines == drawn.lines);
        QVERIFY(play.texts == drawn.texts);

        // The PNG is the window's picture, on white.
        QCOMPARE(clipboardPng(), shown());
    }

    void twoCopiesLeaveTheSecond()
    {
        resizeTo(500, 500);
        copy();
        const QByteArray firstEmf = clipboard()->data(kEmfTypes[1]);
        resizeTo(640, 640);
        copy();
        const QSize size = expectedImage(640);
        QCOMPARE(svgViewBox(clipboard()->data(QStringLiteral("image/svg+xml"))), viewBoxOf(size));
        QCOMPARE(playEmf(clipboard()->data(kEmfTypes[1])).header.bounds[2], 639);
        QVERIFY(clipboard()->data(kEmfTypes[1]) != firstEmf);
        QCOMPARE(clipboardPng().size(), size);
    }

    // A solve that does not redraw: the window keeps its drawing, the copy
    // is drawn from the new results.
    void copyIsDrawnFromTheCurrentState()
    {
        resizeTo(450, 525);
        const QImage before = shown();
        auto* edit5 = Form1->findChild<QLineEdit*>(QStringLiteral("Edit5"));
        const QString former = edit5->text();
        edit5->setText(QStringLiteral("20"));
        QTest::mouseClick(Form1->findChild<QPushButton*>(QStringLiteral("BitBtn3")), Qt::LeftButton);
        QCOMPARE(shown(), before);
        copy();
        const QImage copied = clipboardPng();
        QVERIFY(copied != before);
        QCOMPARE(copied, freshPicture(before.size()));
        QCOMPARE(shown(), before);

        edit5->setText(former);
        Form1->solve();
    }

    // No current to scale by: the error box, nothing on the clipboard, and
    // on resize the new size with the former picture.
    void drawingErrorTouchesNothing()
    {
        resizeTo(450, 525);
        copy();
        const QByteArray formerSvg = clipboard()->data(QStringLiteral("image/svg+xml"));
        const QImage formerPicture = shown();

        installation.veff = 0;
        kelvoran::setSourceVoltages(installation);
        Form1->solve();

        auto error = closeErrorBox();
        copy();
        QVERIFY(error->answered);
        QCOMPARE(error->label, QStringLiteral("Opération en virgule flottante incorrecte"));
        QCOMPARE(clipboard()->data(QStringLiteral("image/svg+xml")), formerSvg);

        QGuiApplication::clipboard()->setText(QStringLiteral("avant"));
        error = closeErrorBox();
        copy();
        QVERIFY(error->answered);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("avant"));
        for (const QString& type : kEmfTypes)
            QVERIFY(!clipboard()->hasFormat(type));
        QVERIFY(!clipboard()->hasFormat(QStringLiteral("image/png")));

        error = closeErrorBox();
        resizeTo(520, 300);
        QTRY_VERIFY(error->answered);
        QCOMPARE(Form4->width(), 520);
        QCOMPARE(Form4->frameGeometry().height(), Form4->frameGeometry().width() + 75);
        QCOMPARE(shown(), formerPicture);
        // One resize, one report.
        auto second = answerNext<QMessageBox>([](QMessageBox* box) { box->accept(); }, 300);
        QTRY_VERIFY(second->answered || second->timedOut);
        QVERIFY(!second->answered);

        installation.veff = 220;
        kelvoran::setSourceVoltages(installation);
        Form1->solve();
    }
};

int main(int argc, char** argv)
{
    KelvoranApplication app(argc, argv);
    createApplicationWindows();
    int result = 0;
    {
        TstDiagramWindow test;
        result = QTest::qExec(&test, argc, argv);
    }
    destroyApplicationWindows();
    return result;
}

#include "tst_diagramwindow.moc"
