// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/composition.h"

#include "diagram/constructions.h"
#include "diagram/frame.h"
#include "diagram/vectors.h"

namespace kelvoran {

// Later items are drawn over earlier ones: currents over voltages, each
// construction over what it rebuilds, the scale bars over everything.
void drawDiagram(DrawingSurface& canvas, const InstallationState& s, const DisplaySettings& d, int width,
                 int height)
{
    const DiagramFrame frame = computeDiagramFrame(s, d, width, height);

    canvas.setPenWidth(d.voltageThickness);
    drawVector(canvas, frame, d, s.vs1, d.colorV1, "V1");
    drawVector(canvas, frame, d, s.vs2, d.colorV2, "V2");
    drawVector(canvas, frame, d, s.vs3, d.colorV3, "V3");
    if (d.showLoadVoltages) {
        drawVector(canvas, frame, d, s.vz1, d.colorVZ1, "VZ1");
        drawVector(canvas, frame, d, s.vz2, d.colorVZ2, "VZ2");
        drawVector(canvas, frame, d, s.vz3, d.colorVZ3, "VZ3");
    }
    if (d.constructVoltageComponents)
        drawVoltageConstruction(canvas, frame, s, d);
    if (d.showNeutralVoltage)
        drawVector(canvas, frame, d, s.vn, d.colorVN, "VN");

    canvas.setPenWidth(d.currentThickness);
    if (d.showLineCurrents) {
        drawVector(canvas, frame, d, frame.scaledI1, d.colorI1, "I1");
        drawVector(canvas, frame, d, frame.scaledI2, d.colorI2, "I2");
        drawVector(canvas, frame, d, frame.scaledI3, d.colorI3, "I3");
    }
    if (d.constructCurrentComponents)
        drawCurrentConstruction(canvas, frame, s, d);
    if (d.showNeutralCurrent)
        drawVector(canvas, frame, d, frame.scaledIN, d.colorIN, "IN");

    canvas.setPenWidth(1);
    drawScaleBars(canvas, frame, d);
}

} // namespace kelvoran
