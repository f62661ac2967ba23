// SPDX-License-Identifier: GPL-3.0-or-later
#include "records.h"

kelvoran::InstallationState installation;
kelvoran::DisplaySettings settings;
