// Colour transforms at their extremes, worked out by hand from the coefficients.
#include <gtest/gtest.h>

#include <vector>

#include "engine/colour_transform.h"
#include "engine/pyramid_level.h"

namespace stillpix {
namespace {

struct ColourCase {
    int32_t b, g, r, shift;
    Ycc ycc;
    Bgr back;  // the inverse of `ycc` for the depth of `shift`
};

TEST(ColourTransform, ExtremesGoThereAndBack) {
    // clang-format off
    const ColourCase cases[] = {
        {255, 255, 255, 6, {21906, 3, 3}, {255, 255, 255}},   // G: 25494969 -> 25494 -> 254 rounded up (94 > 50)
        {0, 0, 0, 6, {0, 0, 0}, {0, 0, 0}},
        {0, 0, 255, 6, {6554, 11196, -3774}, {0, 0, 255}},    // Cb: -241485 >> 6 floors
        {65535, 65535, 65535, 13, {43983, 7, 7}, {65535, 65520, 65535}},   // G: trunc(511.87777 x 128)
        {0, 0, 0, 13, {0, 0, 0}, {0, 0, 0}},
    };
    // clang-format on
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.b << "," << c.g << "," << c.r << " >> " << c.shift);
        const Ycc ycc = ForwardPixel(c.b, c.g, c.r, c.shift);
        EXPECT_EQ(ycc.y, c.ycc.y);
        EXPECT_EQ(ycc.cr, c.ycc.cr);
        EXPECT_EQ(ycc.cb, c.ycc.cb);
        const Bgr back = c.shift == 6 ? InversePixel8(ycc.y, ycc.cr, ycc.cb)
                                      : InversePixel16(ycc.y, ycc.cr, ycc.cb);
        EXPECT_EQ(back.b, c.back.b);
        EXPECT_EQ(back.g, c.back.g);
        EXPECT_EQ(back.r, c.back.r);
    }
    // Far outside the range: clamped, not wrapped.
    EXPECT_EQ(InversePixel8(-5000, 0, 0).r, 0);
    EXPECT_EQ(InversePixel8(30000, 0, 0).g, 255);
    EXPECT_EQ(InversePixel16(-100, 0, 0).g, 0);
}

TEST(ColourTransform, PureGreyLeavesAFloorOfChrominance) {
    for (int v : {0, 63, 64, 200, 255}) {
        const Ycc c = ForwardPixel(v, v, v, 6);
        EXPECT_EQ(c.cr, v / 64) << v;
        EXPECT_EQ(c.cb, v / 64) << v;
    }
}

// Every 8-bit colour (and grey value) through the tile stages: the planes hold the per-pixel
// transform and the inverse gives the samples back exactly. The level's width is odd so that
// any vector path has a tail.
TEST(ColourTransform, EveryEightBitColourComesBackExactly) {
    for (const int bytesPerPixel : {3, 1}) {
        PyramidLevel<int16_t> level;
        level.bytesPerPixel = bytesPerPixel;
        level.grey = bytesPerPixel == 1;
        level.width = 1021, level.height = 65;  // 66365 pixels: all 65536 (B, G) pairs
        level.AllocatePlanes(true);
        std::vector<uint8_t> buffer(level.Pixels() * bytesPerPixel);
        level.tileBuffer = buffer.data();
        const int passes = bytesPerPixel == 3 ? 256 : 1;
        for (int r = 0; r < passes; ++r) {
            for (std::size_t i = 0; i < level.Pixels(); ++i) {
                uint8_t* p = &buffer[i * bytesPerPixel];
                p[0] = uint8_t(i);
                if (bytesPerPixel == 3) p[1] = uint8_t(i >> 8), p[2] = uint8_t(r);
            }
            const std::vector<uint8_t> samples = buffer;
            ForwardTransform(level);
            for (std::size_t i = 0; i < level.Pixels(); ++i) {
                const uint8_t* p = &samples[i * bytesPerPixel];
                const Ycc c = bytesPerPixel == 3 ? ForwardPixel(p[0], p[1], p[2], 6)
                                                 : ForwardPixel(p[0], p[0], p[0], 6);
                ASSERT_TRUE(level.P(kSrcY)[i] == c.y && level.P(kSrcCr)[i] == c.cr &&
                            level.P(kSrcCb)[i] == c.cb && level.P(kResY)[i] == c.y &&
                            level.P(kResCr)[i] == c.cr && level.P(kResCb)[i] == c.cb)
                    << "pixel " << i << " of pass " << r;
            }
            InverseTransform(level);
            ASSERT_EQ(buffer, samples) << "pass " << r;
        }
    }
}

}  // namespace
}  // namespace stillpix
