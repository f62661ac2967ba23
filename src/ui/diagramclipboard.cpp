#include "diagramclipboard.h"

#include "handlers.h"

#include "diagram/composition.h"
#include "diagram/emf/emfdiagram.h"
#include "diagram/qtsurfaces.h"
#include "diagram/recordingsurface.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include <memory>
#include <utility>
#include <vector>

namespace {

// Pixels of the PNG per pixel of the diagram.
constexpr int kPngDensity = 3;
// The largest raster offered. A larger allocation may well succeed (the
// system promises memory it may not have) and then fail when painted at
// paste time, out of the user's sight: it is refused at the click instead.
constexpr qint64 kMaxRasterBytes = qint64{1} << 30;

const QString kPng = QStringLiteral("image/png");

QByteArray encodePng(const QImage& image)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    // A mostly white picture needs little compression effort.
    image.save(&buffer, "PNG", 80);
    return png;
}

// The recorded drawing on `canvas`, white first, each pixel of the drawing
// kPngDensity pixels wide. The resolution says as much, so the PNG prints
// at the size of the vector pictures.
void paintDense(QImage& canvas, const std::vector<kelvoran::SurfaceOp>& drawing)
{
    canvas.fill(Qt::white);
    // Drawn in the window's logical pixels, as on a screen of that pixel
    // ratio: the same geometry, lines and glyphs three times finer.
    canvas.setDevicePixelRatio(kPngDensity);
    {
        kelvoran::RasterSurface surface(canvas);
        kelvoran::replay(drawing, surface);
    }
    canvas.setDevicePixelRatio(1);
    canvas.setDotsPerMeterX(canvas.dotsPerMeterX() * kPngDensity);
    canvas.setDotsPerMeterY(canvas.dotsPerMeterY() * kPngDensity);
}

// The clipboard content. The drawing is recorded and the raster allocated
// at the click (a size the memory cannot hold is refused there), but the
// raster is painted and encoded only when an application asks for the PNG:
// three times denser that takes from a tenth of a second to over a second,
// too long for a click, and a paste that takes a vector form never pays it.
// Replaying the recording raises no arithmetic error: the frame and every
// coordinate were computed at the click.
class DiagramMimeData : public QMimeData {
public:
    DiagramMimeData(std::vector<kelvoran::SurfaceOp> drawing, QImage canvas)
        : drawing_(std::move(drawing)), canvas_(std::move(canvas))
    {
    }

    QStringList formats() const override
    {
        QStringList list = QMimeData::formats();
        list << kPng;
        return list;
    }

    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == kPng || QMimeData::hasFormat(mimeType);
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != kPng)
            return QMimeData::retrieveData(mimeType, type);
        if (png_.isEmpty()) {
            paintDense(canvas_, drawing_);
            png_ = encodePng(canvas_);
            canvas_ = QImage(); // the PNG is all that is asked for from now on
        }
        return png_;
    }

private:
    std::vector<kelvoran::SurfaceOp> drawing_;
    mutable QImage canvas_;
    mutable QByteArray png_;
};

} // namespace

void copyDiagramToClipboard(const kelvoran::InstallationState& state, const kelvoran::DisplaySettings& settings,
                            QSize size)
{
    const int w = size.width();
    const int h = size.height();
    // Everything is drawn before the clipboard is touched: a FloatError
    // leaves the clipboard as it was.
    const QByteArray svg = kelvoran::drawDiagramSvg(state, settings, w, h);
    const QByteArray emf = kelvoran::drawDiagramEnhancedMetafile(state, settings, w, h);
    kelvoran::RecordingSurface recording;
    kelvoran::drawDiagram(recording, state, settings, w, h);
    QImage canvas;
    if (w > 0 && h > 0) {
        const qint64 bytes = qint64{w} * kPngDensity * h * kPngDensity * 4;
        if (bytes <= kMaxRasterBytes)
            canvas = QImage(w * kPngDensity, h * kPngDensity, QImage::Format_RGB32);
        if (canvas.isNull()) {
            showOutOfMemoryBox();
            return;
        }
    }

    auto mime = std::make_unique<DiagramMimeData>(recording.ops(), std::move(canvas));
    mime->setData(QStringLiteral("image/svg+xml"), svg);
    mime->setData(QStringLiteral("image/emf"), emf);
    mime->setData(QStringLiteral("image/x-emf"), emf);
    mime->setData(QStringLiteral("application/x-openoffice-emf;windows_formatname=\"Image EMF\""), emf);
    QGuiApplication::clipboard()->setMimeData(mime.release());
}
