// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The diagram as an enhanced metafile, for the clipboard. Same geometry,
// colours, widths and texts as the raster picture; no background.
#include "diagram/emf/emfsurface.h"
#include "model/state.h"

#include <QByteArray>

class QFontMetricsF;
class QString;

namespace kelvoran {

// On FloatError nothing is returned: the error propagates.
QByteArray drawDiagramEnhancedMetafile(const InstallationState& state, const DisplaySettings& settings, int width,
                                       int height);

// Where QPainter's raster draws the underline of `text` written at (0, 0)
// in the font of `metrics` whose integer ascent is `ascent`.
EmfUnderline rasterUnderline(const QFontMetricsF& metrics, int ascent, const QString& text);

} // namespace kelvoran
