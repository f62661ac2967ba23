// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plain-text report of inputs and results that "Copier données" puts on
// the clipboard. It only reads the installation: no solve, no check.
#include "model/state.h"

#include <string>

namespace kelvoran {

// 62 lines, each ending in CR LF, UTF-8. Numbers come from formatNumber;
// both notations are always given, whatever the display setting.
std::string buildReport(const InstallationState& state);

} // namespace kelvoran
