#pragma once
// The program's small pictures (switches, coil, warning sign, button glyphs,
// icons), painted with QPainter in logical pixels so they stay sharp at any
// device pixel ratio, and the two widgets that show them.
#include <QIcon>
#include <QPushButton>
#include <QWidget>

#include <functional>

class QPainter;

namespace pictures {

// A painter routine draws into a rectangle of the given logical size whose
// top-left corner is the painter's origin.
using PaintFn = std::function<void(QPainter&, QSize)>;

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
// The application's mark: three phasors on a dark tile.
void applicationMark(QPainter& p, QSize size);
// A small calculator for the button "Calculer".
void calculator(QPainter& p, QSize size);

// An icon rendered from a painter routine at 1x and 2x.
QIcon iconFrom(const PaintFn& paint, QSize size);
QIcon applicationIcon();

} // namespace pictures

// A picture that reacts to clicks, like an image control.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    PictureBox(pictures::PaintFn paint, QWidget* parent);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    pictures::PaintFn paint_;
    bool pressed_ = false;
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
