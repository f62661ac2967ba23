#pragma once
// Installations for the diagram tests, solved by the real solver from the
// six field texts the main window would hold.
#include "model/solver.h"
#include "model/state.h"

#include <array>
#include <string>

namespace kelvoran::test {

// R1, R2, R3, X1, X2, X3 as typed in Edit1..Edit6.
using FieldTexts = std::array<std::string, 6>;
inline const FieldTexts kDefaultFields{"10", "0", "10", "-5", "5", "10"};

class FieldsView : public SolverView {
public:
    explicit FieldsView(FieldTexts fields) : fields_(std::move(fields)) {}
    std::string fieldText(int index) const override { return fields_.at(index); }
    void setResultText(ResultLabel, const std::string&) override {}
    void reportShortCircuit() override { shortCircuit = true; }
    bool shortCircuit = false;

private:
    FieldTexts fields_;
};

struct Installation {
    InstallationState state;
    DisplaySettings settings;

    Installation() { initializeDefaults(state, settings); }

    Installation& solve(const FieldTexts& fields = kDefaultFields)
    {
        FieldsView view(fields);
        solveInstallation(state, settings, view);
        return *this;
    }

    Installation& allFlagsOff()
    {
        settings.showLineCurrents = false;
        settings.constructCurrentComponents = false;
        settings.constructVoltageComponents = false;
        settings.showLoadVoltages = false;
        settings.showNeutralVoltage = false;
        settings.showNeutralCurrent = false;
        settings.nameVectors = false;
        return *this;
    }

    Installation& allFlagsOn()
    {
        settings.showLineCurrents = true;
        settings.constructCurrentComponents = true;
        settings.constructVoltageComponents = true;
        settings.showLoadVoltages = true;
        settings.showNeutralVoltage = true;
        settings.showNeutralCurrent = true;
        settings.nameVectors = true;
        return *this;
    }

    // Seventeen different colours, so a colour used in the wrong place shows.
    Installation& distinctColors()
    {
        TColor* const fields[] = {
            &settings.colorV1,      &settings.colorV2,   &settings.colorV3,      &settings.colorVZ1,
            &settings.colorVZ2,     &settings.colorVZ3,  &settings.colorUDirect, &settings.colorUInv,
            &settings.colorU0,      &settings.colorIDirect, &settings.colorIInv, &settings.colorI0,
            &settings.colorI1,      &settings.colorI2,   &settings.colorI3,      &settings.colorIN,
            &settings.colorVN};
        int k = 1;
        for (TColor* c : fields) {
            *c = makeColor(10 * k, 255 - 10 * k, 5 * k);
            ++k;
        }
        return *this;
    }
};

} // namespace kelvoran::test
