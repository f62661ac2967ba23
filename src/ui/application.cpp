// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "Unit1.h"
#include "Unit2.h"
#include "apropo.h"
#include "calcmodeleserie.h"
#include "graphfresnel.h"
#include "pictures.h"

#include <QDir>
#include <QLibraryInfo>
#include <QSettings>
#include <QThreadPool>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <utility>

KelvoranApplication::KelvoranApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The name the desktop lists (WM_CLASS); a display name would be
    // appended to every window title, which must read exactly as designed.
    setApplicationName(QStringLiteral("kelvoran"));
    setDesktopFileName(QStringLiteral("kelvoran"));
    setWindowIcon(pictures::applicationIcon());
    // Only the main window ends the program, whatever else is open.
    setQuitOnLastWindowClosed(false);
    // The program keeps no configuration, yet the colour picker saves its
    // custom colours to the user's Qt settings at exit: give Qt's settings
    // a place it cannot create, so nothing is read or written.
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null/kelvoran"));
}

KelvoranApplication::~KelvoranApplication()
{
    // Background work (the copied diagram's PNG) paints with fonts: it ends
    // while the application still exists, and the clipboard handed over at
    // exit holds only finished pictures.
    QThreadPool::globalInstance()->waitForDone();
}

namespace {

QtMessageHandler previousHandler = nullptr;
QStringList heldMessages;

bool waylandPluginInstalled()
{
    const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
    return !platforms.entryList({QStringLiteral("libqwayland-*.so")}, QDir::Files).isEmpty();
}

void startupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        // Kept until we know whether the display opened: then they are
        // either passed on or shown below the French explanation.
        heldMessages << message;
        return;
    }
    std::fputs("kelvoran : aucun affichage utilisable. Lancez kelvoran dans une session graphique, ou indiquez "
               "l'écran à utiliser dans la variable d'environnement DISPLAY (par exemple DISPLAY=:0) ou "
               "QT_QPA_PLATFORM.\n",
               stderr);
    // In a Wayland session the usual cause is Qt's Wayland plugin, which
    // Debian ships apart from Qt itself.
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY"); wayland && *wayland) {
        if (waylandPluginInstalled())
            std::fprintf(stderr,
                         "La session Wayland (WAYLAND_DISPLAY=%s) ne répond pas, bien que le paquet qt6-wayland "
                         "soit installé.\n",
                         wayland);
        else
            std::fputs("Pour s'afficher dans une session Wayland, kelvoran a besoin du paquet qt6-wayland, qui "
                       "n'est pas installé : installez-le (apt install qt6-wayland).\n",
                       stderr);
    }
    heldMessages << message;
    for (const QString& line : std::as_const(heldMessages))
        std::fprintf(stderr, "  (Qt) %s\n", qPrintable(line));
    std::fflush(stderr);
    (void)context;
    std::_Exit(1);
}

} // namespace

DisplayGuard::DisplayGuard()
{
    previousHandler = qInstallMessageHandler(startupMessage);
}

DisplayGuard::~DisplayGuard()
{
    qInstallMessageHandler(previousHandler);
    const QMessageLogContext context;
    for (const QString& message : std::exchange(heldMessages, {}))
        if (previousHandler)
            previousHandler(QtWarningMsg, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(message));
}

bool installFrenchTranslations(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void createApplicationWindows()
{
    Form1 = new TForm1;
    PagesDlg = new TPagesDlg;
    Form3 = new TForm3;
    AboutBox = new TAboutBox;
    Form4 = new TForm4;

    // What follows each change announced by the parameters dialog. These run
    // inside the dialog's handler: an arithmetic error ends that handler.
    QObject::connect(PagesDlg, &TPagesDlg::sourceVoltageChanged, Form1, [] {
        Form1->showVeffCaption();
        Form1->solve();
        Form4->redraw();
    });
    QObject::connect(PagesDlg, &TPagesDlg::notationChanged, Form1, [] { Form1->solve(); });
    QObject::connect(PagesDlg, &TPagesDlg::diagramSettingsChanged, Form4, [] { Form4->redraw(); });
}

void destroyApplicationWindows()
{
    delete std::exchange(Form4, nullptr);
    delete std::exchange(AboutBox, nullptr);
    delete std::exchange(Form3, nullptr);
    delete std::exchange(PagesDlg, nullptr);
    delete std::exchange(Form1, nullptr);
}
