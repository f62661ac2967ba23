// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An installation for the diagram tests, solved by the real solver from the
// six field texts the main window would hold.
#include "diagram/composition.h"
#include "diagram/recordingsurface.h"
#include "errorkind.h"
#include "solverdouble.h"

#include <vector>

namespace kelvoran::test {

struct Installation : SolverDouble {
    InstallationState state;
    DisplaySettings settings;

    Installation() { initializeDefaults(state, settings); }

    Installation& solve(const FieldTexts& texts = kDefaultFields)
    {
        fields = texts;
        solveInstallation(state, settings, *this);
        return *this;
    }
    Installation& allFlags(bool on)
    {
        DisplaySettings& d = settings;
        d.showLineCurrents = d.constructCurrentComponents = d.constructVoltageComponents = d.showLoadVoltages =
            d.showNeutralVoltage = d.showNeutralCurrent = d.nameVectors = on;
        return *this;
    }
    // Seventeen different colours, so a colour used in the wrong place shows.
    Installation& distinctColors()
    {
        DisplaySettings& d = settings;
        int k = 1;
        for (TColor* c : {&d.colorV1, &d.colorV2, &d.colorV3, &d.colorVZ1, &d.colorVZ2, &d.colorVZ3, &d.colorUDirect,
                          &d.colorUInv, &d.colorU0, &d.colorIDirect, &d.colorIInv, &d.colorI0, &d.colorI1, &d.colorI2,
                          &d.colorI3, &d.colorIN, &d.colorVN}) {
            *c = makeColor(10 * k, 255 - 10 * k, 5 * k);
            ++k;
        }
        return *this;
    }
    std::vector<SurfaceOp> record(int width, int height) const
    {
        RecordingSurface canvas;
        drawDiagram(canvas, state, settings, width, height);
        return canvas.ops();
    }
};

} // namespace kelvoran::test
