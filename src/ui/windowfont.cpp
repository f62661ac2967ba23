// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowfont.h"

QFont windowFont()
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(8);
    f.setStretch(QFont::Condensed);
    return f;
}
