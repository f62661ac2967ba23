// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two drawing primitives of the diagram: a plain line (no arrow head)
// and, when vector names are on, the name written at its tip. They set the
// pen colour and the font but never the pen width.
#include "diagram/frame.h"

#include <string>

namespace kelvoran {

// From the origin to value. name is UTF-8 ("a²Ud").
void drawVector(DrawingSurface& canvas, const DiagramFrame& frame, const DisplaySettings& settings,
                TComplexe value, TColor color, const std::string& name);

// From start to end; the name goes labelRaise pixels above the end.
void drawChainSegment(DrawingSurface& canvas, const DiagramFrame& frame, const DisplaySettings& settings,
                      TComplexe start, TComplexe end, TColor color, const std::string& name, int labelRaise);

} // namespace kelvoran
