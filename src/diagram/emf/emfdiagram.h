#pragma once
// The diagram as an enhanced metafile, for the clipboard. Same geometry,
// colours, widths and texts as the raster picture; no background.
#include "model/state.h"

#include <QByteArray>

namespace kelvoran {

// On FloatError nothing is returned: the error propagates.
QByteArray drawDiagramEmf(const InstallationState& state, const DisplaySettings& settings, int width, int height);

} // namespace kelvoran
