// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The series equivalent of a resistance Rp in parallel with a reactance Xp:
// Rs = Rp·Xp² / (Rp² + Xp²), Xs = Rp²·Xp / (Rp² + Xp²).
namespace kelvoran {

struct SeriesPair {
    double rs;
    double xs;
};

// Rp = Xp = 0 has no series equivalent: FloatError(InvalidOperation). The
// series calculator refuses that case before it asks.
SeriesPair seriesFromParallel(double rp, double xp);

} // namespace kelvoran
