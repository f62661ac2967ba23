// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcmodeleserie.h"

#include "accessibility.h"
#include "desktop.h"
#include "handlers.h"
#include "pictures.h"
#include "textentry.h"
#include "windowfont.h"

#include "numtext/numtext.h"
#include "solver/seriesmodel.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>

TForm3* Form3 = nullptr;

namespace {

QLineEdit* field(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(x, y, 73, 21);
    limitLength(e);
    return e;
}

void caption(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(x, y);
    l->adjustSize();
}

} // namespace

TForm3::TForm3(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Calcul du modèle série"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(windowFont());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(pal);
    setAutoFillBackground(true);

    Edit1 = field(this, "Edit1", QStringLiteral("10"), 32, 32);
    Edit2 = field(this, "Edit2", QStringLiteral("10"), 32, 120);
    BitBtn1 = new QPushButton(QStringLiteral("Calculer"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(184, 64, 89, 57);
    BitBtn1->setIcon(pictures::iconFrom(pictures::calculator, QSize(16, 16)));
    BitBtn1->setAutoDefault(true); // Return presses it when focused
    Edit3 = field(this, "Edit3", QString(), 304, 72);
    Edit4 = field(this, "Edit4", QString(), 416, 72);
    Edit3->setReadOnly(true);
    Edit4->setReadOnly(true);
    caption(this, "Label1", QStringLiteral("Rp"), 120, 24);
    caption(this, "Label2", QStringLiteral("Xp/j"), 120, 144);
    caption(this, "Label3", QStringLiteral("Rs"), 296, 48);
    caption(this, "Label4", QStringLiteral("Xs/j"), 408, 48);
    connectHandler(BitBtn1, &QPushButton::clicked, this, &TForm3::BitBtn1Click);
    a11y::name(Edit1, QStringLiteral("Résistance parallèle Rp (ohm)"));
    a11y::name(Edit2, QStringLiteral("Réactance parallèle Xp (ohm)"));
    a11y::name(Edit3, QStringLiteral("Résistance série Rs (ohm)"));
    a11y::name(Edit4, QStringLiteral("Réactance série Xs (ohm)"));

    setTabOrder(Edit1, Edit2);
    setTabOrder(Edit2, BitBtn1);
    setTabOrder(BitBtn1, Edit3);
    setTabOrder(Edit3, Edit4);

    desktop::placeOuter(this, QPoint(376, 511), QSize(528, 218));
    connectHandler(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::hide);
}

void TForm3::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    // Boxes framing the four fields (outline drawn inside their size).
    for (const QRect& box : {QRect(24, 24, 89, 49), QRect(24, 112, 89, 49), QRect(296, 64, 89, 49),
                             QRect(408, 64, 89, 49)})
        p.drawRect(box.adjusted(0, 0, -1, -1));
    // One-pixel wires: the parallel pair's rails and leads, the lead to the
    // button, and the series pair's line.
    const QRect wires[] = {
        {8, 48, 1, 89},   {8, 48, 17, 1},  {8, 136, 17, 1},  {136, 48, 1, 89}, {112, 48, 25, 1},
        {112, 136, 25, 1}, {136, 88, 33, 1}, {280, 88, 17, 1}, {384, 88, 25, 1}, {496, 88, 17, 1},
    };
    for (const QRect& w : wires)
        p.fillRect(w, Qt::black);
}

void TForm3::BitBtn1Click()
{
    const double rp = kelvoran::parseNumber(Edit1->text().toStdString());
    const double xp = kelvoran::parseNumber(Edit2->text().toStdString());
    if (rp == 0 && xp == 0) {
        showConfirmation(this, QStringLiteral("Attention"));
        return;
    }
    const kelvoran::SeriesPair s = kelvoran::seriesFromParallel(rp, xp);
    Edit3->setText(QString::fromStdString(kelvoran::formatNumber(s.rs)));
    Edit4->setText(QString::fromStdString(kelvoran::formatNumber(s.xs)));
}
