#include "application.h"

#include "Unit1.h"
#include "Unit2.h"
#include "apropo.h"
#include "calcmodeleserie.h"
#include "desktop.h"
#include "graphfresnel.h"
#include "pictures.h"

#include "model/fperror.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

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
}

bool KelvoranApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const kelvoran::FloatError& error) {
        showErrorBox(error);
        return true;
    }
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

QFont windowFont()
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    f.setStretch(QFont::Condensed);
    return f;
}

void showErrorBox(const kelvoran::FloatError& error)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("kelvoran"), QString::fromUtf8(error.what()),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorBox"));
    desktop::fitTitle(box);
    box.exec();
}

void showConfirmation(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::Ok, parent);
    desktop::fitTitle(box);
    box.exec();
}

void createApplicationWindows()
{
    Form1 = new TForm1;
    PagesDlg = new TPagesDlg;
    Form3 = new TForm3;
    AboutBox = new TAboutBox;
    Form4 = new TForm4;
}

void destroyApplicationWindows()
{
    delete std::exchange(Form4, nullptr);
    delete std::exchange(AboutBox, nullptr);
    delete std::exchange(Form3, nullptr);
    delete std::exchange(PagesDlg, nullptr);
    delete std::exchange(Form1, nullptr);
}
