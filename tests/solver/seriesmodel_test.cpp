// SPDX-License-Identifier: GPL-3.0-or-later
#include "solver/seriesmodel.h"

#include "errorkind.h"
#include "numtext/numtext.h"

#include <gtest/gtest.h>

using namespace kelvoran;

// Rs = Rp·Xp²/(Rp²+Xp²), Xs = Rp²·Xp/(Rp²+Xp²), compared as the calculator shows them.
TEST(SeriesModel, ParallelPairToSeriesTexts)
{
    const struct {
        double rp, xp;
        const char *rs, *xs;
    } rows[] = {
        {10, 10, "5", "5"},
        {-10, 10, "-5", "5"},
        {10, -10, "5", "-5"},
        {0, 5, "0", "0"},
        {3, 4, "1.92", "1.44"},
        // Squares and cubes beyond the double range stay exact in the wide type.
        {1E200, 1E200, " 5E199", " 5E199"},
        {1E-200, 1E-200, " 5E-201", " 5E-201"},
        {1.7976931348623157E308, 1.7976931348623157E308, " 8.99E307", " 8.99E307"},
    };
    for (const auto& r : rows) {
        const SeriesPair s = seriesFromParallel(r.rp, r.xp);
        EXPECT_EQ(formatNumber(s.rs), r.rs) << r.rp << " " << r.xp;
        EXPECT_EQ(formatNumber(s.xs), r.xs) << r.rp << " " << r.xp;
    }
}

TEST(SeriesModel, BothZeroIsAnInvalidOperation)
{
    for (double zero : {0.0, -0.0})
        EXPECT_EQ(test::errorKind([zero] { seriesFromParallel(zero, 0.0); }), int(FloatError::Kind::InvalidOperation))
            << zero;
}
