// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/emf/emfdiagram.h"

#include "diagram/composition.h"
#include "diagram/emf/emfsurface.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>

namespace kelvoran {

// QPainter draws an underline on the text's baseline moved down by the
// font's underline position rounded up, plus half a pixel, kept within the
// descent; its pen is the font's line width with flat ends, from the text's
// left edge to the whole pixel its advance reaches. The raster, aliased,
// then fills the rows whose centres the pen covers.
EmfUnderline rasterUnderline(const QFontMetricsF& metrics, int ascent, const QString& text)
{
    const double position = metrics.underlinePos();
    double offset = std::ceil(position) + 0.5;
    if (position <= metrics.descent())
        offset = std::min(offset, metrics.descent() - 0.5);
    const double centre = ascent + offset;
    const double half = std::max(metrics.lineWidth(), 1.0) / 2;
    const int first = static_cast<int>(std::ceil(centre - half - 0.5));
    const int last = static_cast<int>(std::ceil(centre + half - 0.5)) - 1;
    EmfUnderline u;
    u.top = first;
    u.rows = std::max(last - first + 1, 1);
    u.length = static_cast<int>(std::floor(metrics.horizontalAdvance(text)));
    return u;
}

QByteArray drawDiagramEnhancedMetafile(const InstallationState& state, const DisplaySettings& settings, int width,
                                       int height)
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

    // The raster places text by the integer ascent (see PainterSurface).
    options.underline = [exact = QFontMetricsF(font, &reference),
                         ascent = metrics.ascent()](const std::u16string& text) {
        return rasterUnderline(exact, ascent, QString::fromStdU16String(text));
    };

    EmfSurface surface(width, height, options);
    drawDiagram(surface, state, settings, width, height);
    const std::vector<std::uint8_t>& bytes = surface.finish();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

} // namespace kelvoran
