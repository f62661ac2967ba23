#pragma once
// Shared by the diagram-window and parameters-dialog tests: the whole
// application built as the program builds it, a watchdog that answers the
// modal boxes a handler opens (and rejects anything unexpected so a test
// fails instead of hanging).
#include "Unit1.h"
#include "application.h"
#include "tst_emf_reader.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace testsupport {

// What a watchdog saw of the box it answered.
struct ModalSeen {
    bool answered = false;
    bool timedOut = false;
    QString title;
    QString label;   // prompt of an input query, text of a message box
    QString textValue; // text of an input query when it opened
    QColor color;    // colour a picker opened on
};

// Arms a 10 ms polling timer, before the call that opens the box. When the
// active modal widget is a T, records it and calls act on it once. After
// timeoutMs without one, rejects whatever modal box is open.
template <class T>
std::shared_ptr<ModalSeen> answerNext(std::function<void(T*)> act, int timeoutMs = 3000)
{
    auto seen = std::make_shared<ModalSeen>();
    auto* timer = new QTimer(qApp);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (T* box = qobject_cast<T*>(modal)) {
            timer->stop();
            timer->deleteLater();
            seen->answered = true;
            seen->title = box->windowTitle();
            if (auto* query = qobject_cast<QInputDialog*>(box)) {
                seen->label = query->labelText();
                seen->textValue = query->textValue();
            }
            if (auto* message = qobject_cast<QMessageBox*>(box))
                seen->label = message->text();
            if (auto* picker = qobject_cast<QColorDialog*>(box))
                seen->color = picker->currentColor();
            act(box);
            return;
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            seen->timedOut = true;
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        }
    });
    timer->start();
    return seen;
}

// The seventeen colour labels of the parameters dialog and the setting each edits.
struct ColorRow {
    const char* label;
    kelvoran::TColor kelvoran::DisplaySettings::*field;
};
inline constexpr ColorRow kColorRows[] = {
    {"Label5", &kelvoran::DisplaySettings::colorV1},       {"Label6", &kelvoran::DisplaySettings::colorV2},
    {"Label7", &kelvoran::DisplaySettings::colorV3},       {"Label9", &kelvoran::DisplaySettings::colorVZ1},
    {"Label10", &kelvoran::DisplaySettings::colorVZ2},     {"Label11", &kelvoran::DisplaySettings::colorVZ3},
    {"Label13", &kelvoran::DisplaySettings::colorI1},      {"Label14", &kelvoran::DisplaySettings::colorI2},
    {"Label15", &kelvoran::DisplaySettings::colorI3},      {"Label17", &kelvoran::DisplaySettings::colorUDirect},
    {"Label18", &kelvoran::DisplaySettings::colorUInv},    {"Label19", &kelvoran::DisplaySettings::colorU0},
    {"Label21", &kelvoran::DisplaySettings::colorIDirect}, {"Label22", &kelvoran::DisplaySettings::colorIInv},
    {"Label23", &kelvoran::DisplaySettings::colorI0},      {"Label24", &kelvoran::DisplaySettings::colorVN},
    {"Label25", &kelvoran::DisplaySettings::colorIN},
};

inline std::shared_ptr<ModalSeen> answerQuery(const QString& text)
{
    return answerNext<QInputDialog>([text](QInputDialog* d) {
        d->setTextValue(text);
        d->accept();
    });
}

inline std::shared_ptr<ModalSeen> cancelQuery()
{
    return answerNext<QInputDialog>([](QInputDialog* d) {
        d->setTextValue(QStringLiteral("7"));
        d->reject();
    });
}

inline std::shared_ptr<ModalSeen> closeErrorBox()
{
    return answerNext<QMessageBox>([](QMessageBox* box) { box->accept(); });
}

} // namespace testsupport
