// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The solver reads the six impedance texts and writes the fourteen result
// texts through SolverView, so the main window and the tests share the same
// code and the order of writes before an early stop is observable.
// It is the only writer of the results in InstallationState.
#include "model/state.h"

#include <string>

namespace kelvoran {

// The fourteen result labels of the main window, in the order they are written.
enum class ResultLabel {
    Label25, // vn
    Label2,  // i1
    Label3,  // i2
    Label4,  // i3
    Label32, // in
    Label6,  // vz1
    Label7,  // vz2
    Label8,  // vz3
    Label12, // u0
    Label38, // id
    Label39, // ii
    Label40, // i0
    Label10, // ud
    Label11, // ui
};
constexpr int kResultLabelCount = 14;

// Name of the label as the main window calls it ("Label25").
const char* resultLabelName(ResultLabel label);

class SolverView {
public:
    virtual ~SolverView() = default;
    // Texts of Edit1..Edit6 (index 0..5): R1, R2, R3, X1, X2, X3.
    virtual std::string fieldText(int index) const = 0;
    virtual void setResultText(ResultLabel label, const std::string& text) = 0;
    // Shows "Attention:court-circuit" and returns when the user closed it.
    virtual void reportShortCircuit() = 0;
};

// Raises FloatError where a trapping FPU would stop the computation.
void solveInstallation(InstallationState& state, const DisplaySettings& settings, SolverView& view);

} // namespace kelvoran
