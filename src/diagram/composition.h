// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole phasor diagram, drawn through any surface: the raster picture
// of the diagram window, the vector copy for the clipboard, a recorder.
#include "diagram/surface.h"
#include "model/state.h"

namespace kelvoran {

// Computes the frame before touching the surface, so a FloatError (no
// current to scale by) leaves the surface untouched.
void drawDiagram(DrawingSurface& canvas, const InstallationState& state, const DisplaySettings& settings,
                 int width, int height);

} // namespace kelvoran
