// The series-model calculator, the about box and the life of the windows:
// secondary windows only hide, the main window ends the program.
#include "Unit1.h"
#include "Unit2.h"
#include "application.h"
#include "apropo.h"
#include "calcmodeleserie.h"
#include "graphfresnel.h"

#include "tst_mainwindow_watchdog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

template <class T = QWidget>
T* find(QObject* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromLatin1(name));
    if (!child)
        qFatal("no child named %s", name);
    return child;
}

QLineEdit* calcField(int k) { return find<QLineEdit>(Form3, qPrintable(QStringLiteral("Edit%1").arg(k))); }

void chooseMenu(const char* actionName)
{
    QMenuBar* bar = Form1->menuBar();
    QAction* action = find<QAction>(bar, actionName);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(action).center());
}

void calculate(const QString& rp, const QString& xp)
{
    calcField(1)->setText(rp);
    calcField(2)->setText(xp);
    QTest::mouseClick(find(Form3, "BitBtn1"), Qt::LeftButton);
}

int visibleAboutBoxes()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<TAboutBox*>(w) && w->isVisible();
    return n;
}

} // namespace

class TestSideWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void calculatorOpensEmpty();
    void seriesModel_data();
    void seriesModel();
    void bothZeroAsksAndKeepsResults();
    void calculatorOverflowShowsErrorBox();
    void aboutBoxShownOnceHiddenByOkOrEnter();
    void secondaryWindowsOnlyHide();
    void closingMainWindowEndsProgram();
};

void TestSideWindows::initTestCase()
{
    QVERIFY(QTest::qWaitForWindowExposed(Form1));
}

void TestSideWindows::calculatorOpensEmpty()
{
    QVERIFY(!Form3->isVisible());
    ModalWatchdog noBox(500);
    QTest::mouseClick(find(Form1, "BitBtn2"), Qt::LeftButton);
    QVERIFY(!noBox.seen().any);
    QVERIFY(QTest::qWaitForWindowExposed(Form3));
    QCOMPARE(Form3->windowTitle(), QStringLiteral("Calcul du modèle série"));
    QCOMPARE(calcField(1)->text(), QStringLiteral("10"));
    QCOMPARE(calcField(2)->text(), QStringLiteral("10"));
    QCOMPARE(calcField(3)->text(), QString());
    QCOMPARE(calcField(4)->text(), QString());
    QVERIFY(calcField(3)->isReadOnly() && calcField(4)->isReadOnly());
    QVERIFY(!calcField(1)->isReadOnly() && !calcField(2)->isReadOnly());
    QCOMPARE(find<QPushButton>(Form3, "BitBtn1")->text(), QStringLiteral("Calculer"));
    QCOMPARE(Form3->palette().color(QPalette::Window), QColor(192, 192, 192));
}

void TestSideWindows::seriesModel_data()
{
    QTest::addColumn<QString>("rp");
    QTest::addColumn<QString>("xp");
    QTest::addColumn<QString>("rs");
    QTest::addColumn<QString>("xs");

    // Rs = Rp·Xp²/(Rp²+Xp²), Xs = Rp²·Xp/(Rp²+Xp²)
    QTest::newRow("start values") << "10" << "10" << "5" << "5";
    QTest::newRow("negative resistance") << "-10" << "10" << "-5" << "5";
    QTest::newRow("negative reactance") << "10" << "-10" << "5" << "-5";
    QTest::newRow("3 and 4") << "3" << "4" << "1.92" << "1.44";
    QTest::newRow("zero resistance") << "0" << "5" << "0" << "0";
    QTest::newRow("zero reactance") << "5" << "0" << "0" << "0";
    QTest::newRow("huge but finite") << "1E200" << "1E200" << " 5E199" << " 5E199";
    QTest::newRow("tiny") << "1E-200" << "1E-200" << " 5E-201" << " 5E-201";
    QTest::newRow("text falls back to its digits") << "1.5x" << "15" << "7.5" << "7.5";
}

void TestSideWindows::seriesModel()
{
    QFETCH(QString, rp);
    QFETCH(QString, xp);
    QFETCH(QString, rs);
    QFETCH(QString, xs);
    ModalWatchdog noBox(500);
    calculate(rp, xp);
    QVERIFY(!noBox.seen().any);
    QCOMPARE(calcField(3)->text(), rs);
    QCOMPARE(calcField(4)->text(), xs);
}

void TestSideWindows::bothZeroAsksAndKeepsResults()
{
    calculate(QStringLiteral("10"), QStringLiteral("10"));
    for (const auto& [rp, xp] : {std::pair{"0", "0"}, std::pair{"-0", ".0"}}) {
        ModalWatchdog box;
        calculate(QString::fromLatin1(rp), QString::fromLatin1(xp));
        QVERIFY(!box.timedOut());
        QCOMPARE(box.seen().text, QStringLiteral("Attention"));
        QCOMPARE(box.seen().title, QStringLiteral("Confirmation"));
        QCOMPARE(box.seen().icon, QMessageBox::Question);
        QCOMPARE(box.seen().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(calcField(3)->text(), QStringLiteral("5"));
        QCOMPARE(calcField(4)->text(), QStringLiteral("5"));
    }
}

void TestSideWindows::calculatorOverflowShowsErrorBox()
{
    calculate(QStringLiteral("3"), QStringLiteral("4"));
    ModalWatchdog box;
    calculate(QStringLiteral("1E999"), QStringLiteral("10"));
    QVERIFY(!box.timedOut());
    QCOMPARE(box.seen().text, QStringLiteral("Débordement en virgule flottante"));
    QCOMPARE(box.seen().icon, QMessageBox::Critical);
    QCOMPARE(calcField(3)->text(), QStringLiteral("1.92"));
    QCOMPARE(calcField(4)->text(), QStringLiteral("1.44"));
    QVERIFY(Form3->isVisible());
}

void TestSideWindows::aboutBoxShownOnceHiddenByOkOrEnter()
{
    ModalWatchdog noBox(500);
    chooseMenu("Apropos1");
    QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
    chooseMenu("Apropos1");
    QCOMPARE(visibleAboutBoxes(), 1);
    QCOMPARE(AboutBox->windowTitle(), QStringLiteral("A propos"));
    QVERIFY(find<QLabel>(AboutBox, "Comments")->text().startsWith(QStringLiteral("Calculs en régime triphasé désequilibré.")));
    // Not modal: the main window stays usable.
    QVERIFY(!AboutBox->isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(!noBox.seen().any);

    QTest::mouseClick(find(AboutBox, "OKButton"), Qt::LeftButton);
    QVERIFY(!AboutBox->isVisible());

    chooseMenu("Apropos1");
    QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
    QTest::keyClick(AboutBox, Qt::Key_Return);
    QVERIFY(!AboutBox->isVisible());
    QCOMPARE(AboutBox->size(), QSize(298, 213));
}

// Close boxes of the other four windows hide them; the program runs on.
void TestSideWindows::secondaryWindowsOnlyHide()
{
    const QList<QWidget*> others{PagesDlg, Form3, AboutBox, Form4};
    for (QWidget* w : others)
        w->show();
    QTimer::singleShot(0, [others] {
        for (QWidget* w : others)
            w->close();
    });
    // Only this timer may end the loop.
    QTimer::singleShot(300, [] { QCoreApplication::exit(7); });
    QCOMPARE(QCoreApplication::exec(), 7);
    for (QWidget* w : others) {
        QVERIFY(!w->isVisible());
        QVERIFY(!w->testAttribute(Qt::WA_DeleteOnClose));
    }
    QVERIFY(Form1->isVisible());
}

// "Quitter" with every other window open ends the event loop.
void TestSideWindows::closingMainWindowEndsProgram()
{
    for (QWidget* w : QList<QWidget*>{PagesDlg, Form3, AboutBox, Form4})
        w->show();
    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    QTimer::singleShot(0, [] { chooseMenu("Quitter1"); });
    QTimer::singleShot(3000, [] { QCoreApplication::exit(99); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(aboutToQuit.count(), 1);
    QVERIFY(!Form1->isVisible());
}

int main(int argc, char** argv)
{
    KelvoranApplication app(argc, argv);
    installFrenchTranslations(app);
    createApplicationWindows();
    Form1->show();
    TestSideWindows test;
    const int failures = QTest::qExec(&test, argc, argv);
    destroyApplicationWindows();
    return failures;
}

#include "tst_sidewindows.moc"
