// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>

// The windows' 8-point sans-serif face, narrowed so that the captions and
// result texts fit the fixed layout the way a classic 8-point UI face does.
QFont windowFont();
