// SPDX-License-Identifier: GPL-3.0-or-later
#include "schematic.h"

#include "pictures.h"

#include <QPainter>

namespace {

struct Wire {
    int left; // x of the source end
    int y;
};
constexpr Wire kLines[3] = {{48, 80}, {80, 152}, {104, 224}};
constexpr Wire kNeutral = {56, 288};
constexpr int kStarX = 408;

using pictures::at;

// A voltage arrow: black, one pixel, a 7-pixel head.
void arrow(QPainter& p, QPointF from, QPointF to)
{
    pictures::arrow(p, from, to, Qt::black, 1, 7);
}

void underlinedCaption(QPainter& p, int x, int y, const QString& text)
{
    p.setPen(Qt::black);
    p.drawText(QRect(x, y, 60, 16), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

void SchematicPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setRenderHint(QPainter::Antialiasing);

    // Lines, neutral and the load's star point.
    p.setPen(QPen(Qt::black, 1));
    for (const Wire& w : kLines)
        p.drawLine(at(w.left, w.y), at(kStarX, w.y));
    p.drawLine(at(kNeutral.left, kNeutral.y), at(kStarX, kNeutral.y));
    p.drawLine(at(kStarX, kLines[0].y), at(kStarX, kNeutral.y));
    p.setBrush(Qt::black);
    for (int y : {kLines[1].y, kLines[2].y})
        p.drawEllipse(at(kStarX, y), 2, 2);
    // Source terminals.
    p.setBrush(Qt::white);
    for (const Wire& w : {kLines[0], kLines[1], kLines[2], kNeutral})
        p.drawEllipse(at(w.left, w.y), 2.5, 2.5);

    // Resistances: 57 by 17, centred on their line.
    for (int top : {72, 144, 216})
        p.drawRect(QRectF(at(224, top), QSizeF(56, 16)));

    // Current arrows (10 by 21 boxes) on the wires, pointing to the load.
    for (int top : {64, 136, 208, 272}) {
        const double y = top + 16.5;
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygonF{QPointF(130, y), QPointF(120, y - 5), QPointF(120, y + 5)});
    }
    p.setBrush(Qt::NoBrush);

    // Load voltages, 200 long, pointing left; source voltages pointing up
    // from the neutral to their line; the neutral displacement voltage.
    for (int top : {96, 168, 240})
        arrow(p, QPointF(400, top + 6.5), QPointF(200, top + 6.5));
    arrow(p, QPointF(46.5, 276), QPointF(46.5, 96));
    arrow(p, QPointF(77.5, 276), QPointF(77.5, 176));
    arrow(p, QPointF(110.5, 284), QPointF(110.5, 224));
    arrow(p, QPointF(328, 310.5), QPointF(378, 310.5));

    QFont f = font();
    f.setUnderline(true);
    p.setFont(f);
    underlinedCaption(p, 120, 50, QStringLiteral("I1"));
    underlinedCaption(p, 120, 122, QStringLiteral("I2"));
    underlinedCaption(p, 120, 194, QStringLiteral("I3"));
    underlinedCaption(p, 120, 258, QStringLiteral("IN"));
    underlinedCaption(p, 178, 95, QStringLiteral("Vz1"));
    underlinedCaption(p, 178, 167, QStringLiteral("Vz2"));
    underlinedCaption(p, 178, 239, QStringLiteral("Vz3"));
    underlinedCaption(p, 24, 178, QStringLiteral("V1"));
    underlinedCaption(p, 58, 218, QStringLiteral("V2"));
    underlinedCaption(p, 90, 246, QStringLiteral("V3"));
    underlinedCaption(p, 384, 296, QStringLiteral("VN"));
    underlinedCaption(p, 192, 296, QStringLiteral("VN"));
}
