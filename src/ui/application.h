#pragma once
// The application object and its start-up: the top-level handler for
// arithmetic errors, the French texts of the standard dialogs, and the
// five windows created once each, in their fixed order.
#include <QApplication>
#include <QFont>

#include "model/fperror.h"

class KelvoranApplication : public QApplication {
    Q_OBJECT
public:
    KelvoranApplication(int& argc, char** argv);

    // Last resort for an arithmetic error that a handler did not catch
    // (see runHandler): the error box reports it and the program goes on.
    // Every other exception is left alone.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Loads Qt's own French texts ("Annuler" on standard buttons). Returns
// false when the translation files are not installed.
bool installFrenchTranslations(QCoreApplication& app);

// The windows' 8-point sans-serif face, narrowed so that the captions and
// result texts fit the fixed layout the way a classic 8-point UI face does.
QFont windowFont();

// The application's error box for an arithmetic error.
void showErrorBox(const kelvoran::FloatError& error);

// Runs a handler; an arithmetic error ends it where it was raised and shows
// the error box. Handlers are connected through this rather than letting the
// error unwind through Qt's event delivery, which is built without exception
// support and leaks what it was holding on the way.
template <class Handler>
void runHandler(Handler&& handler)
{
    try {
        handler();
    } catch (const kelvoran::FloatError& error) {
        showErrorBox(error);
    }
}

// The same, as a slot: connect(button, &QPushButton::clicked, this, guarded([this] { ... })).
template <class Handler>
auto guarded(Handler handler)
{
    return [handler = std::move(handler)] { runHandler(handler); };
}

// The confirmation box: question icon, title "Confirmation", one OK button.
void showConfirmation(QWidget* parent, const QString& text);

// Form1, PagesDlg, Form3, AboutBox and Form4, in that order; only the main
// window will be shown. Destroyed in reverse order.
void createApplicationWindows();
void destroyApplicationWindows();
