// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Each phase quantity rebuilt from its symmetrical components: three chains
// from the origin (direct, then inverse, then zero sequence laid head to
// tail) whose tips fall on the phase quantities. The caller decides when to
// draw them and sets the pen width.
#include "diagram/frame.h"

namespace kelvoran {

// Chains ending on VZ1, VZ2, VZ3 (ud, ui, u0, unscaled).
void drawVoltageConstruction(DrawingSurface& canvas, const DiagramFrame& frame, const InstallationState& state,
                             const DisplaySettings& settings);

// Chains ending on the scaled I1, I2, I3 (the frame's scaled id, ii, i0).
void drawCurrentConstruction(DrawingSurface& canvas, const DiagramFrame& frame, const InstallationState& state,
                             const DisplaySettings& settings);

} // namespace kelvoran
