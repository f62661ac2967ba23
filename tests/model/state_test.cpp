// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/state.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kelvoran;

TEST(State, StartUpDefaultsOverwriteEverything)
{
    InstallationState s;
    DisplaySettings d;
    s.line2Closed = d.algebraic = d.showLineCurrents = false;
    s.veff = 5;
    d.voltageThickness = 7;
    d.constructVoltageComponents = true;
    d.colorI2 = 0x123456;
    initializeDefaults(s, d);

    EXPECT_TRUE(s.line1Closed && s.line2Closed && s.line3Closed && s.neutralClosed);
    EXPECT_EQ(s.veff, 220);
    EXPECT_EQ(s.vs1.re, 220);
    EXPECT_EQ(s.vs2.re, -110);
    EXPECT_NEAR(s.vs2.im, -190.5255888325765, 1e-12);
    EXPECT_EQ(s.vs3.im, -s.vs2.im);
    EXPECT_EQ(s.rotA.re, -0.5);
    EXPECT_EQ(s.rotA.im, std::sqrt(3.0) / 2);
    EXPECT_TRUE(d.showLineCurrents && d.showLoadVoltages && d.showNeutralVoltage && d.showNeutralCurrent &&
                d.nameVectors && d.algebraic);
    EXPECT_FALSE(d.constructVoltageComponents || d.constructCurrentComponents);
    EXPECT_EQ(d.voltageThickness + d.currentThickness, 2);
    EXPECT_EQ(d.colorI2, 0xF0CAA6u);

    s.veff = 230;
    setSourceVoltages(s);
    EXPECT_EQ(s.vs2.re, -115);
    EXPECT_NEAR(s.vs2.im, -199.18584287042088, 1e-11);
}

TEST(State, ColourResetRestoresEveryDefault)
{
    DisplaySettings d;
    TColor* all[] = {&d.colorV1, &d.colorV2, &d.colorV3, &d.colorVZ1, &d.colorVZ2, &d.colorVZ3,
                     &d.colorUDirect, &d.colorUInv, &d.colorU0, &d.colorIDirect, &d.colorIInv,
                     &d.colorI0, &d.colorI1, &d.colorI2, &d.colorI3, &d.colorIN, &d.colorVN};
    for (TColor* c : all)
        *c = 0x123456;
    resetDefaultColors(d);
    const TColor expected[] = {0x000000, 0x000000, 0x000000, 0x0000FF, 0x0000FF, 0x0000FF,
                               0x008000, 0x008000, 0x008000, 0xFF00FF, 0xFF00FF, 0xFF00FF,
                               0xF0CAA6, 0xF0CAA6, 0xF0CAA6, 0x00FFFF, 0x00FF00};
    for (size_t k = 0; k < std::size(all); ++k)
        EXPECT_EQ(*all[k], expected[k]) << "colour " << k;
}
