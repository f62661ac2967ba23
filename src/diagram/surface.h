// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The seven operations the phasor diagram draws through. Coordinates are
// whole pixels from the top-left corner; text is placed by its top-left
// corner. Implementations: recording (tests), raster, SVG, EMF.
#include "model/state.h"

#include <string>

namespace kelvoran {

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;
    virtual void setPenColor(TColor color) = 0;
    virtual void setPenWidth(int width) = 0;
    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    virtual void setFontUnderline(bool underline) = 0;
    virtual void setFontColor(TColor color) = 0;
    // UTF-8 text ("a²Ud").
    virtual void textOut(int x, int y, const std::string& text) = 0;
};

} // namespace kelvoran
