// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two program-wide records, alive for the whole run. The main window
// gives them their start values; who writes what is said in model/state.h.
#include "model/state.h"

extern kelvoran::InstallationState installation;
extern kelvoran::DisplaySettings settings;
