#include "handlers.h"

#include "desktop.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void showCriticalBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("kelvoran"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorBox"));
    desktop::fitTitle(box);
    box.exec();
}

} // namespace

void showErrorBox(const kelvoran::FloatError& error)
{
    showCriticalBox(QString::fromUtf8(error.what()));
}

void showOutOfMemoryBox()
{
    showCriticalBox(QStringLiteral("Mémoire insuffisante pour dessiner le diagramme."));
}

void showConfirmation(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::Ok, parent);
    desktop::fitTitle(box);
    box.exec();
}
