// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object and its start-up: the French texts of the
// standard dialogs, the five windows created once each in their fixed
// order, and the one place that wires the windows' announcements to their
// follow-ups. No window includes this header.
#include <QApplication>

class KelvoranApplication : public QApplication {
    Q_OBJECT
public:
    KelvoranApplication(int& argc, char** argv);
    ~KelvoranApplication() override;
};

// Qt stops a program that finds no usable display with an English message
// and a core dump. Constructing the application while this guard lives
// prints a French message that names the variable to set and ends the
// program with status 1 instead.
class DisplayGuard {
public:
    DisplayGuard();
    ~DisplayGuard();
    DisplayGuard(const DisplayGuard&) = delete;
    DisplayGuard& operator=(const DisplayGuard&) = delete;
};

// Loads Qt's own French texts ("Annuler" on standard buttons). Returns
// false when the translation files are not installed.
bool installFrenchTranslations(QCoreApplication& app);

// Form1, PagesDlg, Form3, AboutBox and Form4, in that order, and the
// connections between them; only the main window will be shown. Destroyed
// in reverse order.
void createApplicationWindows();
void destroyApplicationWindows();
