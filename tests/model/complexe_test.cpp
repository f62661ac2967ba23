// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/complexe.h"
#include "errorkind.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <numbers>

using namespace kelvoran;

TEST(Complexe, ArgumentRangeIsMinusHalfPiToThreeHalvesPi)
{
    constexpr double pi = std::numbers::pi;
    const struct {
        TComplexe z;
        double expected;
    } cases[] = {
        {{1, 0}, 0},          {{0, 2}, pi / 2},       {{0, -2}, -pi / 2},      {{-1, 0}, pi},
        {{-1, 1}, 3 * pi / 4}, {{-1, -1}, 5 * pi / 4}, {{1, -1}, -pi / 4},      {{0, 0}, 0},
        {{-0.0, -0.0}, 0},    {{-110, -190.5255888325765}, 4 * pi / 3},         {{-110, 190.5255888325765}, 2 * pi / 3},
        // A huge ratio saturates instead of overflowing.
        {{1e-300, 1e300}, pi / 2}, {{-1e-300, -1e300}, 3 * pi / 2},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(cargument(c.z), c.expected, 1e-15) << c.z.re << " + j" << c.z.im;
    EXPECT_EQ(cargument({0, 1}), 1.5707963267948966);
}

TEST(Complexe, DivisionRoundsTheModulusBeforeSquaringIt)
{
    // sqrt(125) is rounded to double and squared wide: one unit below 17.6 and 8.8.
    const TComplexe q = cdiv({220, 0}, {10, -5});
    EXPECT_EQ(q.re, 17.599999999999998);
    EXPECT_EQ(q.im, 8.799999999999999);
    // Opposite admittances cancel exactly (the neutral-point formula relies on it).
    const TComplexe sum = cadd(cdiv({1, 0}, {0, 10}), cdiv({1, 0}, {0, -10}));
    EXPECT_EQ(cdiv({1, 0}, {0, 10}).im, -0.1);
    EXPECT_EQ(sum.re, 0);
    EXPECT_EQ(sum.im, 0);
}

TEST(Complexe, ErrorsAreRaisedWhereATrappingFpuWouldStop)
{
    using K = FloatError::Kind;
    const struct {
        const char* what;
        std::function<void()> op;
        int kind; // -1: no error
    } cases[] = {
        {"cdiv by zero", [] { cdiv({220, 0}, {0, 0}); }, int(K::InvalidOperation)},
        {"cdiv zero by zero", [] { cdiv({0, 0}, {0, 0}); }, int(K::InvalidOperation)},
        {"x/0", [] { checkedDiv(1, 0); }, int(K::DivisionByZero)},
        {"0/0", [] { checkedDiv(0, 0); }, int(K::InvalidOperation)},
        {"cmul overflow", [] { cmul({1e200, 0}, {1e200, 0}); }, int(K::Overflow)},
        {"cadd overflow", [] { cadd({DBL_MAX, 0}, {DBL_MAX, 0}); }, int(K::Overflow)},
        {"csub overflow", [] { csub({0, -DBL_MAX}, {0, DBL_MAX}); }, int(K::Overflow)},
        {"cmodule overflow", [] { cmodule({DBL_MAX, DBL_MAX}); }, int(K::Overflow)},
        {"cdiv overflow", [] { cdiv({1e300, 0}, {1e-300, 0}); }, int(K::Overflow)},
        {"wide squares do not overflow", [] { cmodule({1e200, 1e200}); }, -1},
        {"tiny divisor is fine", [] { cdiv({1, 0}, {1e-300, 1e-300}); }, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(test::errorKind(c.op), c.kind) << c.what;
    EXPECT_STREQ(FloatError(K::InvalidOperation).what(), "Opération en virgule flottante incorrecte");
    EXPECT_STREQ(FloatError(K::DivisionByZero).what(), "Division par zéro en virgule flottante");
    EXPECT_STREQ(FloatError(K::Overflow).what(), "Débordement en virgule flottante");
}
