// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagramclipboard.h"

#include "fastpng.h"
#include "handlers.h"

#include "diagram/composition.h"
#include "diagram/emf/emfdiagram.h"
#include "diagram/qtsurfaces.h"
#include "diagram/recordingsurface.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// Pixels of the PNG per pixel of the diagram, at most: lines and glyphs
// as sharp as on a screen of that density.
constexpr double kPngDensity = 3;
// A larger window gets fewer pixels per pixel, never less than one, so
// that the PNG stays quick to make (three times a 1600-pixel window would
// be 24 million pixels); its resolution keeps its printed size.
constexpr double kMaxPngPixels = 12e6;
// The largest raster offered. A larger allocation may well succeed (the
// system promises memory it may not have) and then fail when painted, out
// of the user's sight: it is refused at the click instead.
constexpr qint64 kMaxRasterBytes = qint64{3} << 28;

const QString kPng = QStringLiteral("image/png");

// The raster for a diagram of size, not yet painted: null when too large.
// Its device pixel ratio maps the diagram's pixels onto it.
QImage denseCanvas(QSize size)
{
    const double pixels = double(size.width()) * size.height();
    const double density = std::clamp(std::sqrt(kMaxPngPixels / pixels), 1.0, kPngDensity);
    const int width = static_cast<int>(size.width() * density);
    const int height = static_cast<int>(size.height() * density);
    if (qint64{width} * height * 3 > kMaxRasterBytes)
        return {};
    QImage canvas(width, height, QImage::Format_RGB888);
    if (!canvas.isNull())
        canvas.setDevicePixelRatio(double(width) / size.width());
    return canvas;
}

// The recorded drawing on canvas, white first, in the diagram's own
// pixels: the same geometry as the window's, lines and glyphs finer. The
// resolution is as many times the screen's, so the PNG prints at the size
// of the vector pictures.
void paintDense(QImage& canvas, const std::vector<kelvoran::SurfaceOp>& drawing)
{
    canvas.fill(Qt::white);
    {
        kelvoran::RasterSurface surface(canvas);
        kelvoran::replay(drawing, surface);
    }
    const double density = canvas.devicePixelRatio();
    canvas.setDevicePixelRatio(1);
    canvas.setDotsPerMeterX(qRound(canvas.dotsPerMeterX() * density));
    canvas.setDotsPerMeterY(qRound(canvas.dotsPerMeterY() * density));
}

// The dense PNG, painted from the recording and encoded on a pool thread
// from the moment of the copy: it takes from ten milliseconds to a tenth of
// a second, which kelvoran's own window never waits for, and a pasting
// application seldom. It is also ready before the program shuts
// down (the application waits for the pool), when a clipboard manager asks
// for every flavour: by then the font and paint system is gone. Replaying
// the recording raises no arithmetic error: the frame and every coordinate
// were computed at the click.
class DensePng {
public:
    DensePng(std::vector<kelvoran::SurfaceOp> drawing, QImage canvas)
        : drawing_(std::move(drawing)), canvas_(std::move(canvas)), ready_(done_.get_future())
    {
    }

    static std::shared_ptr<DensePng> start(std::vector<kelvoran::SurfaceOp> drawing, QImage canvas)
    {
        auto job = std::make_shared<DensePng>(std::move(drawing), std::move(canvas));
        QThreadPool::globalInstance()->start([job] { job->run(); });
        return job;
    }

    // Waits for the worker if it is still at it.
    const QByteArray& png()
    {
        if (ready_.valid())
            png_ = ready_.get();
        return png_;
    }

    // The copy was replaced: a job not started yet gives its raster back
    // at once and will paint nothing.
    void cancel()
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
        if (!started_) {
            canvas_ = QImage();
            drawing_.clear();
        }
    }

private:
    void run()
    {
        {
            const std::lock_guard lock(mutex_);
            if (cancelled_) {
                done_.set_value({});
                return;
            }
            started_ = true;
        }
        paintDense(canvas_, drawing_);
        QByteArray png = encodeFastPng(canvas_);
        canvas_ = QImage();
        drawing_.clear();
        done_.set_value(std::move(png));
    }

    std::mutex mutex_;
    bool started_ = false;
    bool cancelled_ = false;
    std::vector<kelvoran::SurfaceOp> drawing_;
    QImage canvas_;
    std::promise<QByteArray> done_;
    std::future<QByteArray> ready_;
    QByteArray png_;
};

// The clipboard content: the vector flavours as data, the PNG from its worker.
class DiagramMimeData : public QMimeData {
public:
    explicit DiagramMimeData(std::shared_ptr<DensePng> png) : png_(std::move(png)) {}
    ~DiagramMimeData() override { png_->cancel(); }

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
        return png_->png();
    }

private:
    std::shared_ptr<DensePng> png_;
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
        canvas = denseCanvas(size);
        if (canvas.isNull()) {
            showOutOfMemoryBox();
            return;
        }
    }

    auto mime = std::make_unique<DiagramMimeData>(DensePng::start(recording.ops(), std::move(canvas)));
    mime->setData(QStringLiteral("image/svg+xml"), svg);
    mime->setData(QStringLiteral("image/emf"), emf);
    mime->setData(QStringLiteral("image/x-emf"), emf);
    mime->setData(QStringLiteral("application/x-openoffice-emf;windows_formatname=\"Image EMF\""), emf);
    QGuiApplication::clipboard()->setMimeData(mime.release());
}
