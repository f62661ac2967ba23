// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/constructions.h"

#include "diagram/vectors.h"

namespace kelvoran {

namespace {

struct Components {
    TComplexe direct, inverse, zero;
    TColor directColor, inverseColor, zeroColor;
    // Per chain: the names of the direct, inverse and zero-sequence pieces.
    const char* names[3][3];
};

constexpr int kChainLabelRaise = 15;

void drawChain(DrawingSurface& canvas, const DiagramFrame& frame, const DisplaySettings& settings,
               const Components& c, int chain, TComplexe direct, TComplexe inverse, int raise)
{
    drawVector(canvas, frame, settings, direct, c.directColor, c.names[chain][0]);
    const TComplexe afterInverse = cadd(direct, inverse);
    drawChainSegment(canvas, frame, settings, direct, afterInverse, c.inverseColor, c.names[chain][1], raise);
    const TComplexe tip = cadd(afterInverse, c.zero);
    drawChainSegment(canvas, frame, settings, afterInverse, tip, c.zeroColor, c.names[chain][2], raise);
}

// Phase 2 is a²D + aI + Z, phase 3 is aD + a²I + Z; the powers of a come
// from products, never from angles.
void drawConstruction(DrawingSurface& canvas, const DiagramFrame& frame, const InstallationState& state,
                      const DisplaySettings& settings, const Components& c)
{
    drawChain(canvas, frame, settings, c, 0, c.direct, c.inverse, 0);

    const TComplexe a = state.rotA;
    const TComplexe aD = cmul(a, c.direct);
    const TComplexe a2D = cmul(aD, a);
    const TComplexe aI = cmul(a, c.inverse);
    const TComplexe a2I = cmul(aI, a);

    drawChain(canvas, frame, settings, c, 1, a2D, aI, kChainLabelRaise);
    drawChain(canvas, frame, settings, c, 2, aD, a2I, kChainLabelRaise);
}

} // namespace

void drawVoltageConstruction(DrawingSurface& canvas, const DiagramFrame& frame, const InstallationState& state,
                             const DisplaySettings& settings)
{
    const Components c{state.ud,
                       state.ui,
                       state.u0,
                       settings.colorUDirect,
                       settings.colorUInv,
                       settings.colorU0,
                       {{"Ud", "Ui", "U0"}, {"a\u00B2Ud", "aUi", "U0"}, {"aUd", "a\u00B2Ui", "U0"}}};
    drawConstruction(canvas, frame, state, settings, c);
}

void drawCurrentConstruction(DrawingSurface& canvas, const DiagramFrame& frame, const InstallationState& state,
                             const DisplaySettings& settings)
{
    const Components c{frame.scaledId,
                       frame.scaledIi,
                       frame.scaledI0,
                       settings.colorIDirect,
                       settings.colorIInv,
                       settings.colorI0,
                       {{"Id", "Ii", "I0"}, {"a\u00B2Id", "aIi", "I0"}, {"aId", "a\u00B2Ii", "I0"}}};
    drawConstruction(canvas, frame, state, settings, c);
}

} // namespace kelvoran
