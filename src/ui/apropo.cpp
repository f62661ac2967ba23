// SPDX-License-Identifier: GPL-3.0-or-later
#include "apropo.h"

#include "desktop.h"
#include "handlers.h"
#include "pictures.h"
#include "windowfont.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

TAboutBox* AboutBox = nullptr;

namespace {

// A panel with a lowered outer and a raised inner bevel.
class BevelPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        QRect r = rect().adjusted(0, 0, -1, -1);
        auto bevel = [&](const QColor& topLeft, const QColor& bottomRight) {
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
            r.adjust(1, 1, -1, -1);
        };
        bevel(dark, light); // lowered outer
        bevel(light, dark); // raised inner
    }
};

class ProgramIcon : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        pictures::applicationMark(p, size());
    }
};

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("A propos"));
    setFont(windowFont());
    setFixedSize(298, 213);

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(8, 8, 281, 161);
    panel->setAutoFillBackground(true); // the dialog's own colour

    auto* icon = new ProgramIcon(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(12, 32, 56, 56);

    auto* comments = new QLabel(panel);
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setText(QStringLiteral("Calculs en régime triphasé désequilibré.\n\n"
                                     "kelvoran, calculatrice de réseaux triphasés."));
    comments->setWordWrap(true);
    comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The text sets the height; the column keeps its width.
    comments->move(80, 32);
    comments->setFixedWidth(86);
    comments->adjustSize();

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(111, 180, 75, 25);
    OKButton->setDefault(true);
    connectHandler(OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    // Centred on the screen the first time; later the user's place stays.
    desktop::centreOuter(this);
}

void TAboutBox::OKButtonClick()
{
    hide();
}
