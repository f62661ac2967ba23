// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/qtsurfaces.h"

#include "diagram/composition.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QRegularExpression>
#include <QString>
#include <QtMath>

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

QString PainterSurface::faceFamily() const
{
    return QFontInfo(font_).family();
}

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
    // Empty, the generator writes neither: a pasted picture adds no title
    // or description to the document it lands in.
    generator_.setTitle(QString());
    generator_.setDescription(QString());
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

void SvgSurface::textOut(int x, int y, const std::string& text)
{
    PainterSurface::textOut(x, y, text);
    if (!text.empty()) // an empty text leaves no element
        underlined_.push_back(underline());
}

namespace {

// QPainter draws an underline right after its text, as a group of its own.
// Wrapping both groups in one keeps them together in an editor: moving the
// name moves its underline. (An SVG text-decoration would be drawn by the
// reader at the font's own underline position, not where the raster has it.)
void groupUnderlines(QString& svg, const std::vector<bool>& underlined)
{
    qsizetype from = 0;
    for (bool underline : underlined) {
        const qsizetype text = svg.indexOf(QLatin1String("<text "), from);
        if (text < 0)
            return;
        from = text + 1;
        if (!underline)
            continue;
        const qsizetype groupStart = svg.lastIndexOf(QLatin1String("\n<g "), text);
        const qsizetype groupEnd = svg.indexOf(QLatin1String("</g>"), text);
        if (groupStart < 0 || groupEnd < 0)
            return;
        const qsizetype lineStart = svg.indexOf(QLatin1String("<g "), groupEnd);
        const qsizetype lineEnd = svg.indexOf(QLatin1String("</g>"), groupEnd + 4);
        const qsizetype line = svg.indexOf(QLatin1String("<polyline "), groupEnd);
        if (lineStart < 0 || lineEnd < 0 || line < 0 || line > lineEnd || lineStart > line)
            continue;
        svg.insert(lineEnd + 4, QLatin1String("\n</g>"));
        svg.insert(groupStart + 1, QLatin1String("<g>\n"));
        from = lineEnd + 4;
    }
}

} // namespace

QByteArray SvgSurface::finish()
{
    if (!finished_) {
        end();
        finished_ = true;
    }
    QString text = QString::fromUtf8(buffer_.data());
    // The generator writes the size in millimetres; readers would turn that
    // back into pixels at their own resolution. Plain numbers are pixels.
    static const QRegularExpression size(QStringLiteral("<svg width=\"[^\"]*\" height=\"[^\"]*\""));
    const QRegularExpressionMatch match = size.match(text);
    if (match.hasMatch()) {
        text.replace(match.capturedStart(), match.capturedLength(),
                     QStringLiteral("<svg width=\"%1\" height=\"%2\"").arg(width_).arg(height_));
    }
    // The face the raster resolves the default font to, then any sans-serif.
    static const QRegularExpression family(QStringLiteral("font-family=\"[^\"]*\""));
    text.replace(family, QStringLiteral("font-family=\"%1, sans-serif\"").arg(faceFamily()));
    groupUnderlines(text, underlined_);
    return text.toUtf8();
}

void replay(const std::vector<SurfaceOp>& ops, DrawingSurface& target)
{
    using Kind = SurfaceOp::Kind;
    for (const SurfaceOp& op : ops) {
        switch (op.kind) {
        case Kind::PenColor: target.setPenColor(op.color); break;
        case Kind::PenWidth: target.setPenWidth(op.width); break;
        case Kind::MoveTo: target.moveTo(op.x, op.y); break;
        case Kind::LineTo: target.lineTo(op.x, op.y); break;
        case Kind::FontUnderline: target.setFontUnderline(op.underline); break;
        case Kind::FontColor: target.setFontColor(op.color); break;
        case Kind::TextOut: target.textOut(op.x, op.y, op.text); break;
        }
    }
}

bool drawDiagramBitmap(QImage& picture, const InstallationState& state, const DisplaySettings& settings,
                       int width, int height, qreal devicePixelRatio)
{
    QImage image;
    if (width > 0 && height > 0) {
        image = QImage(qCeil(width * devicePixelRatio), qCeil(height * devicePixelRatio), QImage::Format_RGB32);
        if (image.isNull())
            return false;
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Qt::white);
    }
    {
        RasterSurface surface(image);
        drawDiagram(surface, state, settings, width, height);
    }
    picture = std::move(image);
    return true;
}

QByteArray drawDiagramSvg(const InstallationState& state, const DisplaySettings& settings, int width, int height)
{
    SvgSurface surface(width, height);
    drawDiagram(surface, state, settings, width, height);
    return surface.finish();
}

} // namespace kelvoran
