#include "pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSvgRenderer>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace pictures {

QPointF at(double x, double y) { return {x + 0.5, y + 0.5}; }

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, double width, double head)
{
    const double dx = to.x() - from.x();
    const double dy = to.y() - from.y();
    const double len = std::hypot(dx, dy);
    if (len <= 0)
        return;
    const double ux = dx / len, uy = dy / len;
    const QPointF base(to.x() - ux * head, to.y() - uy * head);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(from, base);
    const QPointF side(-uy * head * 0.45, ux * head * 0.45);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF{to, base + side, base - side});
    p.setBrush(Qt::NoBrush);
}

namespace {

QFont glyphFont(int pixelSize)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(true);
    return f;
}

void caption(QPainter& p, const QRectF& box, const QString& text, int pixelSize)
{
    p.setFont(glyphFont(pixelSize));
    p.setPen(QColor(0, 0, 96));
    p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
}

void contactDot(QPainter& p, QPointF c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(c, 2.2, 2.2);
    p.setBrush(Qt::NoBrush);
}

} // namespace

void switchOpen(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(at(0, 16), at(9, 16));
    p.drawLine(at(23, 16), at(size.width() - 1, 16));
    // The lever, hinged on the left contact and raised off the right one.
    p.setPen(QPen(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at(9, 16), at(25, 5));
    contactDot(p, at(9, 16));
    contactDot(p, at(23, 16));
}

void switchClosed(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(at(0, 16), at(size.width() - 1, 16));
    contactDot(p, at(9, 16));
    contactDot(p, at(23, 16));
}

void coil(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    p.setPen(QPen(Qt::black, 1));
    const double y = 16.5;
    const double left = 7, right = size.width() - 7.0;
    p.drawLine(QPointF(0, y), QPointF(left, y));
    p.drawLine(QPointF(right, y), QPointF(size.width(), y));
    // Four turns drawn as half loops above the wire.
    QPainterPath path(QPointF(left, y));
    const double turn = (right - left) / 4;
    for (int k = 0; k < 4; ++k)
        path.arcTo(QRectF(left + k * turn, y - 7, turn, 14), 180, -180);
    p.setPen(QPen(Qt::black, 1.3));
    p.drawPath(path);
}

void warningSign(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width(), h = size.height();
    const QPolygonF triangle{QPointF(w / 2, 2.5), QPointF(w - 1.5, h - 3.5), QPointF(1.5, h - 3.5)};
    p.setPen(QPen(QColor(220, 0, 0), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(255, 230, 0));
    p.drawPolygon(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 0, 0));
    p.drawRoundedRect(QRectF(w / 2 - 1.6, 10, 3.2, 11), 1.4, 1.4);
    p.drawEllipse(QPointF(w / 2, 24.5), 1.9, 1.9);
}

void glyphCalculs(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const double cx = size.width() / 2.0;
    caption(p, QRectF(0, 4, size.width(), 10), QStringLiteral("CALCULS"), 8);
    // Light bulb: glass, neck, screw base and a few rays.
    p.setPen(QPen(QColor(120, 90, 0), 1));
    p.setBrush(QColor(255, 232, 90));
    p.drawEllipse(QPointF(cx, 25), 7.5, 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 150, 150));
    p.drawRect(QRectF(cx - 3.5, 31.5, 7, 3));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(cx - 3, 34.5, 6, 5), 1.5, 1.5);
    p.setPen(QPen(QColor(255, 255, 255), 0.8));
    p.drawLine(QPointF(cx - 3, 36.5), QPointF(cx + 3, 36.5));
    p.setPen(QPen(QColor(230, 160, 0), 1.2, Qt::SolidLine, Qt::RoundCap));
    for (double deg : {-160.0, -125.0, -90.0, -55.0, -20.0}) {
        const double a = deg * std::numbers::pi / 180;
        p.drawLine(QPointF(cx + 10 * std::cos(a), 25 + 10 * std::sin(a)),
                   QPointF(cx + 13 * std::cos(a), 25 + 13 * std::sin(a)));
    }
    p.setBrush(Qt::NoBrush);
}

void glyphFresnel(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    caption(p, QRectF(0, 4, size.width(), 10), QStringLiteral("FRESNEL"), 8);
    const QPointF o(size.width() / 2.0 + 1, 30);
    const double r = 12;
    for (double deg : {0.0, -120.0, 120.0}) {
        const double a = deg * std::numbers::pi / 180;
        arrow(p, o, QPointF(o.x() + r * std::cos(a), o.y() - r * std::sin(a)), Qt::black, 1.2, 4);
    }
    // A lagging current and a load voltage, in the diagram's colours.
    const double a = -30 * std::numbers::pi / 180;
    arrow(p, o, QPointF(o.x() + 8 * std::cos(a), o.y() - 8 * std::sin(a)), QColor(40, 120, 230), 1.4, 3.5);
    const double b = 200 * std::numbers::pi / 180;
    arrow(p, o, QPointF(o.x() + 9 * std::cos(b), o.y() - 9 * std::sin(b)), QColor(220, 0, 0), 1.2, 3.5);
}

void glyphSeriesModel(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    caption(p, QRectF(0, 3, size.width(), 9), QStringLiteral("CALC MOD"), 7);
    caption(p, QRectF(0, 12, size.width(), 9), QStringLiteral("SERIE"), 7);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    // Parallel pair between two rails.
    p.drawLine(at(5, 27), at(5, 37));
    p.drawLine(at(17, 27), at(17, 37));
    p.drawLine(at(5, 27), at(17, 27));
    p.drawLine(at(5, 37), at(17, 37));
    p.drawLine(at(2, 32), at(5, 32));
    p.drawLine(at(17, 32), at(19, 32));
    p.drawRect(QRectF(at(8, 25), QSizeF(6, 4)));
    p.drawRect(QRectF(at(8, 35), QSizeF(6, 4)));
    // Turns into...
    arrow(p, QPointF(21, 32.5), QPointF(28, 32.5), QColor(0, 0, 160), 1.2, 3.5);
    // ...a series pair.
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(at(29, 32), at(46, 32));
    p.drawRect(QRectF(at(31, 30), QSizeF(5, 4)));
    p.drawRect(QRectF(at(39, 30), QSizeF(5, 4)));
    p.setBrush(Qt::NoBrush);
}

void applicationMark(QPainter& p, QSize size)
{
    // The same drawing the package installs, so the window and the desktop
    // show one icon.
    QSvgRenderer svg(QStringLiteral(":/kelvoran.svg"));
    const int s = std::min(size.width(), size.height());
    svg.render(&p, QRectF(0, 0, s, s));
}

void calculator(QPainter& p, QSize size)
{
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width(), h = size.height();
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(0.5 + w * 0.12, 0.5, w * 0.76 - 1, h - 1), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 200, 150));
    p.drawRect(QRectF(w * 0.22, h * 0.1, w * 0.56, h * 0.22));
    p.setBrush(QColor(60, 60, 80));
    const double key = w * 0.12;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            p.drawRect(QRectF(w * 0.22 + col * w * 0.2, h * 0.42 + row * h * 0.18, key, key));
}

QIcon iconFrom(const PaintFn& paint, QSize size)
{
    QIcon icon;
    for (int ratio : {1, 2}) {
        QPixmap pixmap(size * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paint(p, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int side : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        applicationMark(p, QSize(side, side));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace pictures

PictureBox::PictureBox(pictures::PaintFn paint, QWidget* parent) : QWidget(parent), paint_(std::move(paint)) {}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    paint_(p, size());
}

GlyphButton::GlyphButton(pictures::PaintFn paint, QWidget* parent) : QPushButton(parent), paint_(std::move(paint))
{
    // Return presses the focused button, as Space does, also outside a dialog.
    setAutoDefault(true);
}

void GlyphButton::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter p(this);
    // The face follows the button down when pressed.
    if (isDown())
        p.translate(1, 1);
    paint_(p, size());
}
