// Colour transforms at their extremes, worked out by hand from the coefficients.
#include <gtest/gtest.h>

#include "engine/colour_transform.h"

namespace stillpix {
namespace {

TEST(ColourTransform, EightBitWhiteAndBlackComeBackExactly) {
    const Ycc white = ForwardPixel(255, 255, 255, 6);
    EXPECT_EQ(white.y, 21906);
    EXPECT_EQ(white.cr, 3);
    EXPECT_EQ(white.cb, 3);
    const Bgr back = InversePixel8(white.y, white.cr, white.cb);
    EXPECT_EQ(back.b, 255);
    EXPECT_EQ(back.g, 255);   // 25494969 -> 25494 -> 254 rounded up (94 > 50)
    EXPECT_EQ(back.r, 255);
    const Ycc black = ForwardPixel(0, 0, 0, 6);
    EXPECT_EQ(black.y, 0);
    const Bgr blackBack = InversePixel8(0, 0, 0);
    EXPECT_EQ(blackBack.b + blackBack.g + blackBack.r, 0);
}

TEST(ColourTransform, PureGreyLeavesAFloorOfChrominance) {
    for (int v : {0, 63, 64, 200, 255}) {
        const Ycc c = ForwardPixel(v, v, v, 6);
        EXPECT_EQ(c.cr, v / 64) << v;
        EXPECT_EQ(c.cb, v / 64) << v;
    }
}

TEST(ColourTransform, SaturatedRedUsesArithmeticShiftsAndClamps) {
    const Ycc red = ForwardPixel(0, 0, 255, 6);
    EXPECT_EQ(red.y, 6554);
    EXPECT_EQ(red.cr, 11196);
    EXPECT_EQ(red.cb, -3774);   // -241485 >> 6 floors
    const Bgr back = InversePixel8(red.y, red.cr, red.cb);
    EXPECT_EQ(back.r, 255);
    EXPECT_EQ(back.g, 0);
    EXPECT_EQ(back.b, 0);
    // Far outside the range: clamped, not wrapped.
    const Bgr clamped = InversePixel8(-5000, 0, 0);
    EXPECT_EQ(clamped.r, 0);
    EXPECT_EQ(InversePixel8(30000, 0, 0).g, 255);
}

TEST(ColourTransform, SixteenBitWhiteDividesBeforeScaling) {
    const Ycc white = ForwardPixel(65535, 65535, 65535, 13);
    EXPECT_EQ(white.y, 43983);
    EXPECT_EQ(white.cr, 7);
    EXPECT_EQ(white.cb, 7);
    const Bgr back = InversePixel16(white.y, white.cr, white.cb);
    EXPECT_EQ(back.b, 65535);
    EXPECT_EQ(back.g, 65520);   // trunc(511.87777 x 128)
    EXPECT_EQ(back.r, 65535);
    EXPECT_EQ(InversePixel16(0, 0, 0).g, 0);
    EXPECT_EQ(InversePixel16(-100, 0, 0).g, 0);
}

}  // namespace
}  // namespace stillpix
