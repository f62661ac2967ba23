#include "diagram/emf/emfdiagram.h"

#include "diagram/composition.h"
#include "diagram/emf/emfsurface.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cmath>

namespace kelvoran {

QByteArray drawDiagramEmf(const InstallationState& state, const DisplaySettings& settings, int width, int height)
{
    // The raster picture paints in the application font at an image's
    // resolution; the metafile names the same face and size and carries the
    // same advances, so a reader lays the texts out as the window shows them.
    const QImage reference(1, 1, QImage::Format_RGB32);
    const QFont font = QGuiApplication::font();
    const QFontMetrics metrics(font, &reference);

    EmfOptions options;
    options.dpiX = reference.logicalDpiX();
    options.dpiY = reference.logicalDpiY();
    const QString family = QFontInfo(font).family();
    options.fontFace = family.toStdU16String();
    options.fontPixelHeight = font.pixelSize() > 0
        ? font.pixelSize()
        : static_cast<int>(std::lround(font.pointSizeF() * options.dpiY / 72.0));
    options.advances = [metrics](const std::u16string& text, bool) {
        const QString s = QString::fromStdU16String(text);
        std::vector<std::int32_t> dx(text.size(), 0);
        // Differences of prefix widths keep the kerning the raster applies.
        int previous = 0;
        for (qsizetype i = 0; i < s.size(); ++i) {
            if (s.at(i).isHighSurrogate() && i + 1 < s.size())
                continue; // the pair's advance goes to its second unit
            const int upTo = metrics.horizontalAdvance(s.left(i + 1));
            dx[static_cast<std::size_t>(i)] = upTo - previous;
            previous = upTo;
        }
        return dx;
    };

    EmfSurface surface(width, height, options);
    drawDiagram(surface, state, settings, width, height);
    const std::vector<std::uint8_t>& bytes = surface.finish();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

} // namespace kelvoran
