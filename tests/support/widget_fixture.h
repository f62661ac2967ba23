// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared by the widget tests. ModalAnswer answers the next modal box a
// handler opens so that a test fails instead of hanging: armed before the
// call, a 10 ms timer waits for an active modal widget of the wanted type,
// records what it shows and acts on it (by default OK on a message box,
// reject on anything else). After the time limit it rejects whatever is
// open. Destroying it disarms it.
#include "Unit1.h"
#include "Unit2.h"
#include "application.h"
#include "records.h"
#include "model/state.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

class ModalAnswer {
public:
    bool answered = false;
    bool timedOut = false;
    QString title;
    QString text;      // a message box's text, a query's prompt
    QString textValue; // a query's text when it opened
    QColor color;      // a colour picker's colour when it opened
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;

    ModalAnswer(const QMetaObject* wanted, std::function<void(QWidget*)> act, int limitMs)
    {
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, [=, this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && wanted->cast(modal)) {
                timer_.stop();
                record(modal);
                if (act)
                    act(modal);
                else if (auto* box = qobject_cast<QMessageBox*>(modal); box && !box->buttons().isEmpty())
                    box->buttons().first()->click();
                else if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            } else if (clock_.elapsed() > limitMs) {
                timer_.stop();
                timedOut = true;
                if (auto* dialog = qobject_cast<QDialog*>(modal))
                    dialog->reject();
            }
        });
        timer_.start(10);
    }

private:
    void record(QWidget* w)
    {
        answered = true;
        title = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            text = box->text();
            icon = box->icon();
            buttons = box->standardButtons();
        }
        if (auto* query = qobject_cast<QInputDialog*>(w)) {
            text = query->labelText();
            textValue = query->textValue();
        }
        if (auto* picker = qobject_cast<QColorDialog*>(w))
            color = picker->currentColor();
    }

    QTimer timer_;
    QElapsedTimer clock_;
};

using Answer = std::unique_ptr<ModalAnswer>;

template <class T = QWidget>
Answer answerNext(std::function<void(T*)> act = {}, int limitMs = 3000)
{
    std::function<void(QWidget*)> any;
    if (act)
        any = [act](QWidget* w) { act(static_cast<T*>(w)); };
    return std::make_unique<ModalAnswer>(&T::staticMetaObject, std::move(any), limitMs);
}

// Nothing may open: a box that does is answered and shows as answered.
inline Answer expectNoBox() { return answerNext<QWidget>({}, 500); }

inline Answer answerQuery(const QString& text, bool accept = true)
{
    return answerNext<QInputDialog>([text, accept](QInputDialog* d) {
        d->setTextValue(text);
        accept ? d->accept() : d->reject();
    });
}

// The parameters dialog's colour labels and check boxes, with the setting each edits.
using Settings = kelvoran::DisplaySettings;
inline constexpr struct ColorRow {
    const char* label;
    kelvoran::TColor Settings::*field;
} kColorRows[] = {
    {"Label5", &Settings::colorV1},       {"Label6", &Settings::colorV2},     {"Label7", &Settings::colorV3},
    {"Label9", &Settings::colorVZ1},      {"Label10", &Settings::colorVZ2},   {"Label11", &Settings::colorVZ3},
    {"Label13", &Settings::colorI1},      {"Label14", &Settings::colorI2},    {"Label15", &Settings::colorI3},
    {"Label17", &Settings::colorUDirect}, {"Label18", &Settings::colorUInv},  {"Label19", &Settings::colorU0},
    {"Label21", &Settings::colorIDirect}, {"Label22", &Settings::colorIInv},  {"Label23", &Settings::colorI0},
    {"Label24", &Settings::colorVN},      {"Label25", &Settings::colorIN},
};
inline constexpr struct OptionRow {
    const char* box;
    bool Settings::*field;
} kOptionRows[] = {
    {"CheckBox1", &Settings::constructVoltageComponents}, {"CheckBox2", &Settings::constructCurrentComponents},
    {"CheckBox3", &Settings::showLineCurrents},           {"CheckBox4", &Settings::showNeutralCurrent},
    {"CheckBox5", &Settings::showNeutralVoltage},         {"CheckBox6", &Settings::nameVectors},
    {"CheckBox8", &Settings::showLoadVoltages},
};

// Open and closed picture of line 1, 2, 3 and of the neutral, and the switch each shows.
inline const char* const kSwitches[4][2] = {{"Image1", "Image2"}, {"Image4", "Image5"}, {"Image7", "Image8"},
                                            {"Image10", "Image11"}};
inline bool kelvoran::InstallationState::* const kSwitchFields[4] = {
    &kelvoran::InstallationState::line1Closed, &kelvoran::InstallationState::line2Closed,
    &kelvoran::InstallationState::line3Closed, &kelvoran::InstallationState::neutralClosed};

// A named child, or the test ends here.
template <class T = QWidget>
T* child(const QObject* parent, const QString& name)
{
    T* w = parent->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

inline void click(const QObject* window, const QString& name) { QTest::mouseClick(child(window, name), Qt::LeftButton); }
// Edit1, Edit2... of a window.
inline QLineEdit* field(const QObject* window, int k) { return child<QLineEdit>(window, QStringLiteral("Edit%1").arg(k)); }

inline bool warningShown()
{
    const bool picture = child(Form1, "Image22")->isVisible();
    if (picture != child(Form1, "Label30")->isVisible())
        qWarning("warning picture and text out of step");
    return picture;
}

// Ctrl+C in a main window field with nothing selected, and the clipboard's
// text afterwards: the report, unless the field swallowed the menu shortcut.
inline QString copyReportByKeyboard(QLineEdit* e)
{
    Form1->activateWindow();
    if (!QTest::qWaitForWindowActive(Form1))
        return QStringLiteral("main window not active");
    e->setFocus();
    e->deselect();
    QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
    return QGuiApplication::clipboard()->text();
}

// The fourteen result texts of the main window, in write order.
inline QStringList resultTexts()
{
    QStringList texts;
    for (int i = 0; i < kelvoran::kResultLabelCount; ++i)
        texts << child<QLabel>(Form1, kelvoran::resultLabelName(static_cast<kelvoran::ResultLabel>(i)))->text();
    return texts;
}

inline void chooseMenu(const char* actionName)
{
    QMenuBar* bar = Form1->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(child<QAction>(bar, actionName)).center());
}

// Replaces a field's text the way a user would: select all, delete, type.
inline void retype(QLineEdit* e, const QString& text)
{
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, text);
}

// Clicks a control of the parameters dialog on its page, near its left edge
// (where a check box or radio button has its mark).
inline void clickOnPage(const char* name)
{
    QWidget* w = child(PagesDlg, name);
    auto* tabs = child<QTabWidget>(PagesDlg, "PageControl1");
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->widget(i)->isAncestorOf(w))
            tabs->setCurrentIndex(i);
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, w->height() / 2));
}

// main() of a widget test: the whole application built as the program builds it.
template <class Test>
int runWithApplication(int argc, char** argv, bool showMainWindow)
{
    KelvoranApplication app(argc, argv);
    installFrenchTranslations(app);
    createApplicationWindows();
    if (showMainWindow)
        Form1->show();
    int result = 0;
    {
        Test test;
        result = QTest::qExec(&test, argc, argv);
    }
    destroyApplicationWindows();
    return result;
}

#define KELVORAN_WIDGET_TEST_MAIN(Test, showMainWindow) \
    int main(int argc, char** argv) { return runWithApplication<Test>(argc, argv, showMainWindow); }
