#pragma once
// The program's small pictures (switches, coil, warning sign, button glyphs,
// icons), painted with QPainter in logical pixels so they stay sharp at any
// device pixel ratio, and the two widgets that show them.
#include <QIcon>
#include <QPointF>
#include <QPushButton>
#include <QWidget>

#include <functional>

class QPainter;

namespace pictures {

// A painter routine draws into a rectangle of the given logical size whose
// top-left corner is the painter's origin.
using PaintFn = std::function<void(QPainter&, QSize)>;

// One-pixel lines sit on pixel centres so they stay crisp at 1x and 2x.
QPointF at(double x, double y);
// A straight arrow whose filled head, head pixels long, ends at `to`.
void arrow(QPainter& p, QPointF from, QPointF to, const QColor& color, double width, double head);

// 32 by 32, the wire running across at y = 16.
void switchOpen(QPainter& p, QSize size);
void switchClosed(QPainter& p, QSize size);
// 50 by 30, the wire running across at y = 16.
void coil(QPainter& p, QSize size);
// 32 by 32, transparent around the triangle.
void warningSign(QPainter& p, QSize size);
// 49 by 49 button faces.
void glyphCalculs(QPainter& p, QSize size);
void glyphFresnel(QPainter& p, QSize size);
void glyphSeriesModel(QPainter& p, QSize size);
// The application's icon, drawn from packaging/icons/kelvoran.svg.
void applicationMark(QPainter& p, QSize size);
// A small calculator for the button "Calculer".
void calculator(QPainter& p, QSize size);

// An icon rendered from a painter routine at 1x and 2x.
QIcon iconFrom(const PaintFn& paint, QSize size);
QIcon applicationIcon();

} // namespace pictures

// A painted picture, like an image control; clicks reach it through clicks().
class PictureBox : public QWidget {
public:
    PictureBox(pictures::PaintFn paint, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    pictures::PaintFn paint_;
};

// A push button whose whole face is a painted glyph.
class GlyphButton : public QPushButton {
    Q_OBJECT
public:
    GlyphButton(pictures::PaintFn paint, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    pictures::PaintFn paint_;
};
