// SPDX-License-Identifier: GPL-3.0-or-later
#include "handlers.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace {

void showCriticalBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QStringLiteral("kelvoran"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("ErrorBox"));
    fitTitle(box);
    box.exec();
}

} // namespace

void fitTitle(QMessageBox& box)
{
    // Title fonts are usually bold and a little larger; the title bar also
    // holds the window icon and three or four buttons.
    QFont font = box.font();
    font.setBold(true);
    const int titleWidth = QFontMetrics(font).horizontalAdvance(box.windowTitle()) * 5 / 4;
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (!grid)
        return;
    // The box sizes itself to its layout's minimum width when shown.
    grid->addItem(new QSpacerItem(titleWidth + 130, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(),
                  0, 1, grid->columnCount());
}

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
    fitTitle(box);
    box.exec();
}
