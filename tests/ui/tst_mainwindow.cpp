// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as the user drives it: switch pictures, fields, the two
// calculate buttons, the menu, the report on the clipboard and the error
// box; then the series-model calculator, the about box and the life of the
// windows: secondary windows only hide, the main window ends the program.
#include "apropo.h"
#include "calcmodeleserie.h"
#include "desktop.h"
#include "graphfresnel.h"
#include "report/report.h"
#include "textentry.h"
#include "widget_fixture.h"

#include <QtTest>

namespace {

const QStringList kSoundFields{"20", "0", "10", "-5", "5", "10"};
const QString kSoundI1 = QStringLiteral("10.3529 + j.2.5882"); // 220 / (20 - j5)

QLineEdit* edit(int k) { return field(Form1, k); }
QLineEdit* calcField(int k) { return field(Form3, k); }
QLabel* label(const char* name) { return child<QLabel>(Form1, name); }
void typeFields(const QStringList& texts) // Edit1..Edit6
{
    for (int k = 0; k < 6; ++k)
        retype(edit(k + 1), texts[k]);
}

void closeAllSwitches()
{
    for (int k = 0; k < 4; ++k)
        if (!(installation.*kSwitchFields[k]))
            click(Form1, kSwitches[k][0]);
}

const QList<QWidget*> secondaryWindows() { return {PagesDlg, Form3, AboutBox, Form4}; }

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QTest::qWaitForWindowExposed(Form1)); }

    // A window partly off the available area moves the least that brings it
    // on, each direction on its own; one larger than the area goes to its corner.
    void windowsFitOnTheArea_data()
    {
        QTest::addColumn<QRect>("outer");
        QTest::addColumn<QPoint>("placed");
        QTest::newRow("inside") << QRect(100, 30, 555, 500) << QPoint(100, 30);
        QTest::newRow("below") << QRect(200, 117, 555, 500) << QPoint(200, 100);
        QTest::newRow("right and below") << QRect(376, 511, 528, 218) << QPoint(272, 382);
        QTest::newRow("above and left") << QRect(-30, -5, 100, 100) << QPoint(0, 24);
        QTest::newRow("taller") << QRect(200, 117, 555, 700) << QPoint(200, 24);
        QTest::newRow("larger") << QRect(307, 142, 900, 975) << QPoint(0, 24);
    }
    void windowsFitOnTheArea()
    {
        QFETCH(QRect, outer);
        QFETCH(QPoint, placed);
        const QRect area(0, 24, 800, 576); // a 800 by 600 screen under a 24-pixel panel
        const QRect rect = desktop::fitOnArea(outer, area);
        QCOMPARE(rect.topLeft(), placed);
        QCOMPARE(rect.size(), outer.size());
    }

    void startUpState()
    {
        QCOMPARE(Form1->windowTitle(), QStringLiteral("Installation triphasée"));
        for (int k = 0; k < 4; ++k) {
            QVERIFY(installation.*kSwitchFields[k]);
            QVERIFY(!child(Form1, kSwitches[k][0])->isVisible() && child(Form1, kSwitches[k][1])->isVisible());
        }
        QVERIFY(!warningShown());
        QCOMPARE(label("Label30")->text(), QStringLiteral("Attention, les parametres ont changé"));
        QCOMPARE(label("Label26")->text(), QStringLiteral("Veff = 220 V"));
        QCOMPARE(label("Label25")->text(), QStringLiteral("0 j. 0"));
        QCOMPARE(label("Label2")->text(), QStringLiteral("17.6 + j.8.8"));
        QCOMPARE(label("Label32")->text(), QStringLiteral("16.4788 + j.-45.8263"));
        QStringList captions;
        for (QAction* a : Form1->menuBar()->actions())
            captions << a->text().remove(QLatin1Char('&')); // as displayed
        QCOMPARE(captions, (QStringList{"Quitter", "Copier données", "Paramètres", "A propos"}));
        QCOMPARE(child<QAction>(Form1->menuBar(), "Copier1")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
        for (QWidget* w : QApplication::topLevelWidgets())
            QCOMPARE(w->isVisible(), w == Form1);
    }

    // Switch clicks and field edits, even one undone, show the warning, open
    // no box and change no result.
    void changesMarkAndKeepResults_data()
    {
        QTest::addColumn<QStringList>("actions"); // a picture to click, or a field to type 7 into and erase
        QTest::addColumn<QString>("closed");      // line 1, 2, 3, neutral
        QTest::newRow("line 2 opens") << QStringList{"Image5"} << "1011";
        QTest::newRow("line 1 opens and closes") << QStringList{"Image2", "Image1"} << "1111";
        QTest::newRow("every switch opens") << QStringList{"Image2", "Image5", "Image8", "Image11"} << "0000";
        for (const char* field : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"})
            QTest::newRow(field) << QStringList{field} << "1111";
    }
    void changesMarkAndKeepResults()
    {
        QFETCH(QStringList, actions);
        QFETCH(QString, closed);
        const QStringList before = resultTexts();
        const Answer noBox = expectNoBox();
        for (const QString& name : actions) {
            if (auto* e = qobject_cast<QLineEdit*>(child(Form1, name))) {
                e->setFocus();
                QTest::keyClick(e, Qt::Key_End);
                QTest::keyClicks(e, QStringLiteral("7"));
                QTest::keyClick(e, Qt::Key_Backspace);
            } else {
                click(Form1, name);
            }
        }
        for (int k = 0; k < 4; ++k) {
            const bool c = closed[k] == QLatin1Char('1');
            QCOMPARE(installation.*kSwitchFields[k], c);
            QVERIFY(child(Form1, kSwitches[k][1])->isVisible() == c && child(Form1, kSwitches[k][0])->isVisible() != c);
        }
        QVERIFY(warningShown());
        QCOMPARE(resultTexts(), before);
        QVERIFY(!noBox->answered);
    }

    // Both buttons hide the warning; only FRESNEL shows the diagram and
    // rewrites the voltage caption, also after the short-circuit question
    // (Z2 = 0 with the neutral closed). An arithmetic error stops the handler
    // where it is raised: no label changes, the diagram stays hidden. Either
    // box leaves the results as they were, and a sound input computes again.
    void calculateButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("fields"); // Edit1..Edit6
        QTest::addColumn<QStringList>("opened"); // switch pictures clicked first
        QTest::addColumn<QString>("message");   // of the box, or none
        const QStringList shorted{"20", "0", "10", "-5", "0", "10"}, none;
        QTest::newRow("CALCULS") << "BitBtn3" << kSoundFields << none << "";
        QTest::newRow("FRESNEL") << "BitBtn1" << kSoundFields << none << "";
        QTest::newRow("CALCULS, short circuit") << "BitBtn3" << shorted << none << "Attention:court-circuit";
        QTest::newRow("FRESNEL, short circuit") << "BitBtn1" << shorted << none << "Attention:court-circuit";
        QTest::newRow("FRESNEL, huge resistance") << "BitBtn1" << QStringList{"1E999", "0", "10", "-5", "5", "10"}
                                                  << none << "Débordement en virgule flottante";
        // Neutral and line 3 open: the admittances j/10 and -j/10 cancel.
        QTest::newRow("CALCULS, admittances cancel") << "BitBtn3" << QStringList{"0", "0", "10", "10", "-10", "10"}
                                                     << QStringList{"Image11", "Image8"}
                                                     << "Opération en virgule flottante incorrecte";
    }
    void calculateButtons()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, opened);
        QFETCH(QString, message);
        typeFields(fields);
        for (const QString& name : opened)
            click(Form1, name);
        QVERIFY(warningShown());
        label("Label26")->setText(QStringLiteral("stale"));
        const QStringList before = resultTexts();

        const bool question = message == QStringLiteral("Attention:court-circuit");
        const bool error = !message.isEmpty() && !question;
        Answer box = message.isEmpty() ? expectNoBox() : answerNext<QMessageBox>();
        click(Form1, button);
        QCOMPARE(box->answered, !message.isEmpty());
        QCOMPARE(box->text, message);
        QVERIFY(!warningShown());
        const bool fresnel = button == QStringLiteral("BitBtn1") && !error;
        QCOMPARE(Form4->isVisible(), fresnel);
        QCOMPARE(label("Label26")->text(), fresnel ? QStringLiteral("Veff = 220 V") : QStringLiteral("stale"));
        if (message.isEmpty()) {
            QCOMPARE(label("Label2")->text(), kSoundI1);
            return;
        }
        QCOMPARE(box->title, question ? QStringLiteral("Confirmation") : QStringLiteral("kelvoran"));
        QCOMPARE(box->icon, question ? QMessageBox::Question : QMessageBox::Critical);
        QCOMPARE(box->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(resultTexts(), before); // a short circuit writes only VN before it stops, and VN was 0 already

        typeFields(kSoundFields);
        closeAllSwitches();
        box = expectNoBox();
        click(Form1, "BitBtn3");
        QVERIFY(!box->answered);
        QCOMPARE(label("Label2")->text(), kSoundI1);
    }

    void parametersSolvesAndKeepsWarning()
    {
        retype(edit(1), QStringLiteral("20"));
        const Answer noBox = expectNoBox();
        chooseMenu("Paramtres1");
        QVERIFY(!noBox->answered);
        QCOMPARE(label("Label2")->text(), kSoundI1);
        QVERIFY(warningShown());
        QVERIFY(PagesDlg->isVisible());
    }

    // Ctrl+C in a field without a selection copies the report (the field must
    // not swallow the menu shortcut); a selection, in a field or in a result
    // label, copies itself.
    void ctrlCCopiesReportOrSelection()
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setText(QStringLiteral("before"));
        QLineEdit* e = edit(3);
        const QString report = copyReportByKeyboard(e);
        QCOMPARE(report, QString::fromStdString(kelvoran::buildReport(installation)));
        QCOMPARE(report.count(QStringLiteral("\r\n")), 62);
        QVERIFY(report.startsWith(QStringLiteral("Données\r\n")));

        e->selectAll();
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QStringLiteral("10"));

        QLabel* result = label("Label3");
        result->setFocus();
        result->setSelection(0, int(result->text().size()));
        QTest::keyClick(result, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), QStringLiteral("-38.1051 + j.22"));
        result->setSelection(0, 0);
        QTest::keyClick(result, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), report);

        // The report holds both notations whatever the labels show, and it
        // reads the last computation, not the fields.
        settings.algebraic = false;
        Form1->solve();
        retype(edit(1), QStringLiteral("20"));
        chooseMenu("Copier1");
        QCOMPARE(clipboard->text(), report);
    }

    void standardButtonsInFrench()
    {
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));
    }

    // Rs = Rp·Xp²/(Rp²+Xp²), Xs = Rp²·Xp/(Rp²+Xp²); both zero asks and keeps
    // the former results; an overflow shows the error box.
    void seriesModelCalculator()
    {
        click(Form1, "BitBtn2");
        QVERIFY(QTest::qWaitForWindowExposed(Form3));
        QCOMPARE(Form3->windowTitle(), QStringLiteral("Calcul du modèle série"));
        QCOMPARE(calcField(1)->text() + calcField(2)->text() + calcField(3)->text(), QStringLiteral("1010"));
        QVERIFY(calcField(3)->isReadOnly() && calcField(4)->isReadOnly() && !calcField(1)->isReadOnly());
        const struct {
            const char *rp, *xp, *results, *box;
        } rows[] = {
            {"10", "10", "5|5", nullptr},
            {"1.5x", "15", "7.5|7.5", nullptr}, // the text falls back to its digits
            {"3", "4", "1.92|1.44", nullptr},
            {"0", "0", "1.92|1.44", "Attention"},
            {"-0", ".0", "1.92|1.44", "Attention"},
            {"1E999", "10", "1.92|1.44", "Débordement en virgule flottante"},
        };
        for (const auto& r : rows) {
            const Answer box = answerNext<QMessageBox>({}, r.box ? 3000 : 300);
            calcField(1)->setText(QString::fromUtf8(r.rp));
            calcField(2)->setText(QString::fromUtf8(r.xp));
            click(Form3, "BitBtn1");
            QCOMPARE(calcField(3)->text() + '|' + calcField(4)->text(), QString::fromUtf8(r.results));
            QCOMPARE(box->text, QString::fromUtf8(r.box));
            if (r.box && box->text == QStringLiteral("Attention")) {
                QCOMPARE(box->title, QStringLiteral("Confirmation"));
                QCOMPARE(box->icon, QMessageBox::Question);
                QCOMPARE(box->buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
            }
        }
    }

    // Pastes up to the length bound (past Qt's silent 32,767 when the bound
    // was lifted) are kept whole and read whole, in the main window and the
    // series calculator; one character more is refused aloud: the box, the
    // field as it was, nothing solved from a changed value.
    void longPastes()
    {
        click(Form1, "BitBtn2");
        calcField(2)->setText(QStringLiteral("10"));
        const QString fullFive = QString(kMaxFieldLength - 1, QLatin1Char(' ')) + QLatin1Char('5');
        const struct {
            QLineEdit* field;
            QString paste;
            QString kept;     // the field's text afterwards
            const char* read; // I1 in the main window, Rs|Xs in the calculator
        } rows[] = {
            {edit(1), fullFive, fullFive, "22 + j.22"},         // 220 / (5 - 5j)
            {calcField(1), fullFive, fullFive, "4|2"},
            {edit(1), fullFive + QLatin1Char('0'), fullFive, "22 + j.22"},
        };
        for (const auto& r : rows) {
            QGuiApplication::clipboard()->setText(r.paste);
            const bool refused = r.paste != r.kept;
            const std::string reportBefore = kelvoran::buildReport(installation);
            const Answer box = answerNext<QMessageBox>({}, refused ? 3000 : 300);
            r.field->setFocus();
            r.field->selectAll();
            QTest::keyClick(r.field, Qt::Key_V, Qt::ControlModifier);
            QTRY_VERIFY(box->answered || box->timedOut);
            QCOMPARE(box->text, refused ? tooLongText() : QString());
            QCOMPARE(r.field->text(), r.kept);
            const bool calculator = r.field->window() == Form3;
            click(r.field->window(), calculator ? "BitBtn1" : "BitBtn3");
            const QString read = calculator ? calcField(3)->text() + '|' + calcField(4)->text()
                                            : child<QLabel>(Form1, "Label2")->text();
            QCOMPARE(read, QString::fromUtf8(r.read));
            if (refused)
                QCOMPARE(kelvoran::buildReport(installation), reportBefore);
        }
        Form3->hide();
        retype(edit(1), QStringLiteral("10"));
        click(Form1, "BitBtn3");
    }

    // Not modal, one instance however often it is asked for; OK or Enter hides it.
    void aboutBoxShownOnceHiddenByOkOrEnter()
    {
        const Answer noBox = expectNoBox();
        chooseMenu("Apropos1");
        QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
        chooseMenu("Apropos1");
        int shown = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            shown += qobject_cast<TAboutBox*>(w) && w->isVisible();
        QCOMPARE(shown, 1);
        QCOMPARE(AboutBox->windowTitle(), QStringLiteral("A propos"));
        QVERIFY(child<QLabel>(AboutBox, "Comments")->text().startsWith(QStringLiteral("Calculs en régime triphasé désequilibré.")));
        QVERIFY(!noBox->answered);

        click(AboutBox, "OKButton");
        QVERIFY(!AboutBox->isVisible());
        chooseMenu("Apropos1");
        QVERIFY(QTest::qWaitForWindowExposed(AboutBox));
        QTest::keyClick(AboutBox, Qt::Key_Return);
        QVERIFY(!AboutBox->isVisible());
    }

    // Close boxes of the other four windows hide them; the program runs on.
    void secondaryWindowsOnlyHide()
    {
        for (QWidget* w : secondaryWindows())
            w->show();
        QTimer::singleShot(0, [] {
            for (QWidget* w : secondaryWindows())
                w->close();
        });
        QTimer::singleShot(300, [] { QCoreApplication::exit(7); }); // only this timer may end the loop
        QCOMPARE(QCoreApplication::exec(), 7);
        for (QWidget* w : secondaryWindows())
            QVERIFY(!w->isVisible() && !w->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(Form1->isVisible());
    }

    // "Quitter" with every other window open ends the event loop.
    void closingMainWindowEndsProgram()
    {
        for (QWidget* w : secondaryWindows())
            w->show();
        QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
        QTimer::singleShot(0, [] { chooseMenu("Quitter1"); });
        QTimer::singleShot(3000, [] { QCoreApplication::exit(99); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QCOMPARE(aboutToQuit.count(), 1);
        QVERIFY(!Form1->isVisible());
    }

    // Back to the start-up installation, recomputed, warning hidden.
    void cleanup()
    {
        if (!Form1->isVisible())
            return; // the program has ended
        const Answer anyBox = answerNext<QWidget>({}, 2000);
        settings.algebraic = true;
        closeAllSwitches();
        for (int k = 0; k < 6; ++k) {
            const std::string_view text = kelvoran::kDefaultFieldTexts[static_cast<std::size_t>(k)];
            edit(k + 1)->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
        }
        click(Form1, "BitBtn3");
        QVERIFY(!anyBox->answered);
        Form4->hide();
        PagesDlg->hide();
        QVERIFY(!warningShown());
    }
};

KELVORAN_WIDGET_TEST_MAIN(TestMainWindow, true)

#include "tst_mainwindow.moc"
