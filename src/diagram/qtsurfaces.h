// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The diagram on Qt paint devices: a raster image for the diagram window and
// an SVG picture, the vector copy for the clipboard. Both paint through
// QPainter the same way, so the two pictures share their geometry.
#include "diagram/recordingsurface.h"
#include "diagram/surface.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QSvgGenerator>

#include <vector>

namespace kelvoran {

QColor toQColor(TColor color);

// The seven operations on a QPainter. Pen width 0 is the thinnest line;
// text is placed by its top-left corner in the painter's default font, with
// a transparent background.
class PainterSurface : public DrawingSurface {
public:
    ~PainterSurface() override;
    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    void setPenColor(TColor color) override;
    void setPenWidth(int width) override;
    void moveTo(int x, int y) override;
    void lineTo(int x, int y) override;
    void setFontUnderline(bool underline) override;
    void setFontColor(TColor color) override;
    void textOut(int x, int y, const std::string& text) override;

protected:
    PainterSurface() = default;
    bool underline() const { return font_.underline(); }
    // The family the current font resolves to on this system.
    QString faceFamily() const;
    // A device that cannot be painted on (an empty image) leaves the
    // surface inactive: every operation then does nothing.
    void begin(QPaintDevice* device);
    void end();

private:
    QPainter painter_;
    QPen linePen_;
    QFont font_;
    QColor fontColor_;
    QPointF current_;
    int ascent_ = 0;
    int thinnest_ = 0;
};

// Paints on image, which the caller keeps alive until the surface is gone.
// Coordinates are the image's logical pixels: at a device pixel ratio of n
// each covers n x n pixels, with the same layout and finer lines and glyphs.
class RasterSurface : public PainterSurface {
public:
    explicit RasterSurface(QImage& image);
    ~RasterSurface() override;
};

// Records an SVG picture of width x height pixels with no background.
class SvgSurface : public PainterSurface {
public:
    SvgSurface(int width, int height);
    ~SvgSurface() override;
    void textOut(int x, int y, const std::string& text) override;
    // Ends the recording and returns the SVG document; the width and height
    // attributes are the pixel size and the viewBox is "0 0 width height".
    // It has no title or description, names the raster's font face with a
    // generic fallback, and groups each underlined text with its underline.
    QByteArray finish();

private:
    QBuffer buffer_;
    QSvgGenerator generator_;
    int width_;
    int height_;
    bool finished_ = false;
    std::vector<bool> underlined_; // per text written, in order
};

// Passes recorded operations on to target, in order.
void replay(const std::vector<SurfaceOp>& ops, DrawingSurface& target);

// Draws the diagram on a new white image of width x height logical pixels
// at the given device pixel ratio and puts it into picture. Returns false,
// picture unchanged, when the image cannot be allocated. On FloatError
// picture keeps its previous content and the error propagates.
bool drawDiagramBitmap(QImage& picture, const InstallationState& state, const DisplaySettings& settings,
                       int width, int height, qreal devicePixelRatio = 1);

// The same drawing as an SVG picture. On FloatError nothing is returned:
// the error propagates.
QByteArray drawDiagramSvg(const InstallationState& state, const DisplaySettings& settings, int width, int height);

} // namespace kelvoran
