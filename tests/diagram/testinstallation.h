#pragma once
// An installation for the diagram tests, solved by the real solver from the
// six field texts the main window would hold.
#include "diagram/composition.h"
#include "diagram/recordingsurface.h"
#include "model/floaterror.h"
#include "solver/solver.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace kelvoran::test {

// R1, R2, R3, X1, X2, X3 as typed in Edit1..Edit6.
using FieldTexts = std::array<std::string, 6>;
inline const FieldTexts kDefaultFields{std::string(kDefaultFieldTexts[0]), std::string(kDefaultFieldTexts[1]),
                                       std::string(kDefaultFieldTexts[2]), std::string(kDefaultFieldTexts[3]),
                                       std::string(kDefaultFieldTexts[4]), std::string(kDefaultFieldTexts[5])};

struct Installation : SolverView {
    InstallationState state;
    DisplaySettings settings;
    FieldTexts fields;

    Installation() { initializeDefaults(state, settings); }
    std::string fieldText(int index) const override { return fields.at(index); }
    void setResultText(ResultLabel, const std::string&) override {}
    void reportShortCircuit() override {}

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

// The kind of FloatError an action raises, or -1.
inline int errorKind(const std::function<void()>& action)
{
    try {
        action();
    } catch (const FloatError& e) {
        return static_cast<int>(e.kind());
    }
    return -1;
}

} // namespace kelvoran::test
