// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/vectors.h"

namespace kelvoran {

namespace {

void writeName(DrawingSurface& canvas, const DisplaySettings& settings, int x, int y, TColor color,
               const std::string& name)
{
    if (!settings.nameVectors)
        return;
    canvas.setFontUnderline(true);
    canvas.setFontColor(color);
    canvas.textOut(x, y, name);
}

} // namespace

void drawVector(DrawingSurface& canvas, const DiagramFrame& frame, const DisplaySettings& settings,
                TComplexe value, TColor color, const std::string& name)
{
    canvas.setPenColor(color);
    canvas.moveTo(frame.pixelX(0), frame.pixelY(0));
    canvas.lineTo(frame.pixelX(value.re), frame.pixelY(value.im));
    writeName(canvas, settings, frame.pixelX(value.re), frame.pixelY(value.im), color, name);
}

void drawChainSegment(DrawingSurface& canvas, const DiagramFrame& frame, const DisplaySettings& settings,
                      TComplexe start, TComplexe end, TColor color, const std::string& name, int labelRaise)
{
    canvas.setPenColor(color);
    canvas.moveTo(frame.pixelX(start.re), frame.pixelY(start.im));
    canvas.lineTo(frame.pixelX(end.re), frame.pixelY(end.im));
    writeName(canvas, settings, frame.pixelX(end.re), offsetPixel(frame.pixelY(end.im), -labelRaise), color,
              name);
}

} // namespace kelvoran
