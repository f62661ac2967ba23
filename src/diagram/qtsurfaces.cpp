#include "diagram/qtsurfaces.h"

#include "diagram/composition.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QString>

namespace kelvoran {

namespace {

// The resolution a new image gets; the SVG uses it too so that text comes
// out at the same pixel size on both pictures.
int rasterDpi()
{
    static const int dpi = QImage(1, 1, QImage::Format_RGB32).logicalDpiY();
    return dpi;
}

} // namespace

QColor toQColor(TColor color)
{
    return QColor(colorRed(color), colorGreen(color), colorBlue(color));
}

PainterSurface::~PainterSurface() = default;

void PainterSurface::begin(QPaintDevice* device)
{
    if (!painter_.begin(device))
        return;
    // Wide pens end in round caps like the strokes of the desktop's own
    // pens; width 0 is Qt's cosmetic one-pixel line, which on a high-density
    // device would be one device pixel: there it is one logical pixel.
    thinnest_ = device->devicePixelRatioF() > 1 ? 1 : 0;
    linePen_ = QPen(QBrush(Qt::black), thinnest_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter_.setPen(linePen_);
    painter_.setBackgroundMode(Qt::TransparentMode);
    font_ = painter_.font();
    fontColor_ = Qt::black;
    ascent_ = painter_.fontMetrics().ascent();
}

void PainterSurface::end()
{
    if (painter_.isActive())
        painter_.end();
}

void PainterSurface::setPenColor(TColor color)
{
    linePen_.setColor(toQColor(color));
    if (painter_.isActive())
        painter_.setPen(linePen_);
}

void PainterSurface::setPenWidth(int width)
{
    linePen_.setWidth(width == 0 ? thinnest_ : width);
    if (painter_.isActive())
        painter_.setPen(linePen_);
}

void PainterSurface::moveTo(int x, int y)
{
    current_ = QPointF(x, y);
}

void PainterSurface::lineTo(int x, int y)
{
    const QPointF to(x, y);
    if (painter_.isActive())
        painter_.drawLine(current_, to);
    current_ = to;
}

void PainterSurface::setFontUnderline(bool underline)
{
    font_.setUnderline(underline);
    if (painter_.isActive())
        painter_.setFont(font_);
}

void PainterSurface::setFontColor(TColor color)
{
    fontColor_ = toQColor(color);
}

void PainterSurface::textOut(int x, int y, const std::string& text)
{
    if (!painter_.isActive())
        return;
    // QPainter places text on its baseline; ours is placed by its top-left corner.
    painter_.setPen(fontColor_);
    painter_.drawText(QPointF(x, static_cast<double>(y) + ascent_), QString::fromStdString(text));
    painter_.setPen(linePen_);
}

RasterSurface::RasterSurface(QImage& image)
{
    if (!image.isNull())
        begin(&image);
}

RasterSurface::~RasterSurface()
{
    end();
}

SvgSurface::SvgSurface(int width, int height) : width_(width), height_(height)
{
    buffer_.open(QIODevice::WriteOnly);
    generator_.setOutputDevice(&buffer_);
    generator_.setSize(QSize(width, height));
    generator_.setViewBox(QRect(0, 0, width, height));
    generator_.setResolution(rasterDpi());
    begin(&generator_);
}

SvgSurface::~SvgSurface()
{
    end();
}

QByteArray SvgSurface::finish()
{
    if (!finished_) {
        end();
        finished_ = true;
    }
    QByteArray svg = buffer_.data();
    // The generator writes the size in millimetres; readers would turn that
    // back into pixels at their own resolution. Plain numbers are pixels.
    static const QRegularExpression size(QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\""));
    QString text = QString::fromUtf8(svg);
    const QRegularExpressionMatch match = size.match(text);
    if (match.hasMatch()) {
        text.replace(match.capturedStart(), match.capturedLength(),
                     QStringLiteral("<svg width=\"%1\" height=\"%2\"").arg(width_).arg(height_));
        svg = text.toUtf8();
    }
    return svg;
}

void drawDiagramBitmap(QImage& picture, const InstallationState& state, const DisplaySettings& settings,
                       int width, int height)
{
    QImage image;
    if (width > 0 && height > 0) {
        image = QImage(width, height, QImage::Format_RGB32);
        image.fill(Qt::white);
    }
    {
        RasterSurface surface(image);
        drawDiagram(surface, state, settings, width, height);
    }
    picture = image;
}

QByteArray drawDiagramMetafile(const InstallationState& state, const DisplaySettings& settings, int width,
                               int height)
{
    SvgSurface surface(width, height);
    drawDiagram(surface, state, settings, width, height);
    return surface.finish();
}

} // namespace kelvoran
