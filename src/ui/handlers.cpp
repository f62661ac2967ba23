#include "handlers.h"

#include <QApplication>
#include <QMessageBox>

void showErrorBox(const kelvoran::FloatError& error)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("kelvoran"), QString::fromUtf8(error.what()),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

void showConfirmation(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirmation"), text, QMessageBox::Ok, parent);
    box.exec();
}
