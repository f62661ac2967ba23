// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The edge of every user-interface handler. An arithmetic error ends the
// handler where it was raised and shows its box; the program goes on. Qt's
// event delivery is built without exception support, so the error is caught
// here, before it could unwind through it.
#include "model/floaterror.h"

#include <QObject>
#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

class QMessageBox;
class QWidget;

// Widens a message box so that the window manager can show its whole title.
void fitTitle(QMessageBox& box);

// The error box: critical icon, title "kelvoran", the error's French text.
void showErrorBox(const kelvoran::FloatError& error);

// The same box for a picture too large for the memory.
void showOutOfMemoryBox();

// The confirmation box: question icon, title "Confirmation", one OK button.
void showConfirmation(QWidget* parent, const QString& text);

// Runs one handler at the edge. Event overrides (resize, show...) call it;
// signals reach their handlers through connectHandler.
template <class Handler>
void runHandler(Handler&& handler)
{
    try {
        std::forward<Handler>(handler)();
    } catch (const kelvoran::FloatError& error) {
        showErrorBox(error);
    }
}

// The one way to connect a signal to a handler: a member function of
// receiver, or a callable, given the signal's arguments when it takes them.
//   connectHandler(button, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, Receiver* receiver, Handler handler,
                                       Qt::ConnectionType type = Qt::AutoConnection)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto... args) {
        runHandler([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>) {
                if constexpr (std::is_invocable_v<Handler, Receiver*, decltype(args)...>)
                    std::invoke(handler, receiver, args...);
                else
                    std::invoke(handler, receiver);
            } else if constexpr (std::is_invocable_v<Handler, decltype(args)...>) {
                std::invoke(handler, args...);
            } else {
                std::invoke(handler);
            }
        });
    }, type);
}
