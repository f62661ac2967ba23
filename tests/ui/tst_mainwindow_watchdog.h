#pragma once
// Answers the next modal box a handler opens, and never lets a test hang:
// a 10 ms timer looks for the active modal widget, records what it shows
// and acts on it; after the time limit it gives up. Arm it before the call
// that may open a box, check it afterwards.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

class ModalWatchdog : public QObject {
public:
    struct Seen {
        bool any = false;
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int buttonCount = 0;
        QMessageBox::StandardButtons buttons;
    };

    // With no action, a message box gets its first button clicked, any
    // other dialog is rejected.
    explicit ModalWatchdog(int limitMs = 3000, std::function<void(QWidget*)> action = {})
        : limitMs_(limitMs), action_(std::move(action))
    {
        clock_.start();
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { poll(); });
        timer_.start();
    }

    const Seen& seen() const { return seen_; }
    bool timedOut() const { return timedOut_; }

private:
    void poll()
    {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer_.stop();
            seen_.any = true;
            seen_.title = w->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(w)) {
                seen_.text = box->text();
                seen_.icon = box->icon();
                seen_.buttonCount = static_cast<int>(box->buttons().size());
                seen_.buttons = box->standardButtons();
            }
            if (action_)
                action_(w);
            else if (auto* box = qobject_cast<QMessageBox*>(w); box && !box->buttons().isEmpty())
                box->buttons().first()->click();
            else if (auto* dialog = qobject_cast<QDialog*>(w))
                dialog->reject();
            return;
        }
        if (clock_.elapsed() > limitMs_) {
            timer_.stop();
            timedOut_ = true;
        }
    }

    int limitMs_;
    std::function<void(QWidget*)> action_;
    QElapsedTimer clock_;
    QTimer timer_;
    Seen seen_;
    bool timedOut_ = false;
};
