// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The diagram window's copy: one clipboard content with the diagram as SVG
// (Inkscape, browsers), as an enhanced metafile under the names desktop
// applications look for (LibreOffice's "Image EMF" among them), and as a PNG
// for applications that take only rasters. The PNG has three times the
// pixel density (less for a window over about 1150 pixels wide, whose PNG
// would be slow to make) and says so in its resolution, so it lands at the
// size of the vector pictures and stays sharp when zoomed or printed:
// LibreOffice Writer's plain paste takes any raster before a metafile.
#include "model/state.h"

#include <QSize>

// Draws every picture at `size` (Image1's size), then replaces the
// clipboard's content. A FloatError propagates before the clipboard is
// touched; a raster that cannot be allocated (or would take more than
// 768 MiB, about 16,000 pixels square) shows the out-of-memory box and also
// leaves the clipboard as it was. The PNG is prepared in the background
// from then on.
void copyDiagramToClipboard(const kelvoran::InstallationState& state, const kelvoran::DisplaySettings& settings,
                            QSize size);
