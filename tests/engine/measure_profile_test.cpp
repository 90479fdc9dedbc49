// The profile record: byte layout, reset and curve smoothing.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

using test::Curve, test::CurveOf;

// Every field distinct: levels b x 1000 + k x 10 + c, counts their negatives less one.
NoiseProfile Numbered() {
    NoiseProfile p;
    p.bandCount = 4;
    for (int b = 0; b < kProfileBandSlots; ++b) {
        p.bands[b].binCount = 11 + b;
        p.bands[b].bandIndex = b;
        for (int k = 0; k < kProfileBinSlots; ++k)
            for (int c = 0; c < 3; ++c) {
                p.bands[b].levels[k][c] = int16_t(b * 1000 + k * 10 + c);
                p.bands[b].counts[k][c] = int16_t(-(b * 1000 + k * 10 + c) - 1);
            }
    }
    return p;
}

TEST(NoiseProfileBytes, LittleEndianFieldsInRecordOrderAndBack) {
    static_assert(std::endian::native == std::endian::little,
                  "the record is compared with the struct's bytes");
    const NoiseProfile p = Numbered();
    const auto bytes = EncodeNoiseProfile(p);
    // The struct has no padding (its size is checked at compile time), so on this machine the
    // record is its memory image.
    EXPECT_EQ(std::memcmp(bytes.data(), &p, sizeof p), 0);

    NoiseProfile back;
    back.bandCount = 77;
    for (std::size_t size : {kNoiseProfileBytes - 1, kNoiseProfileBytes + 1, std::size_t(0)})
        EXPECT_FALSE(DecodeNoiseProfile(std::vector<uint8_t>(size, 0), back)) << size;
    EXPECT_EQ(back.bandCount, 77);  // refused sizes leave the target alone
    ASSERT_TRUE(DecodeNoiseProfile(bytes, back));
    EXPECT_EQ(std::memcmp(&back, &p, sizeof p), 0);
}

TEST(ResetProfile, SetsTheShapeAndClearsOnlyWhenAsked) {
    NoiseProfile p = Numbered();
    p.bandCount = 0;
    ResetProfile(p, /*keepValues=*/true);
    EXPECT_EQ(p.bandCount, 4);
    for (int b = 0; b < 4; ++b) {
        EXPECT_EQ(p.bands[b].binCount, 11);
        EXPECT_EQ(p.bands[b].bandIndex, b);
        EXPECT_EQ(p.bands[b].levels[3][1], b * 1000 + 31);
    }
    ResetProfile(p, /*keepValues=*/false);
    const NoiseProfile fresh = test::FreshProfile();
    EXPECT_EQ(std::memcmp(&p.bands, &fresh.bands, 4 * sizeof(ProfileBand)), 0);
    // The fifth record is not part of the profile's shape.
    EXPECT_EQ(p.bands[4].binCount, 15);
    EXPECT_EQ(p.bands[4].levels[2][2], 4022);
}

TEST(SmoothProfile, TwoPassesOfThreeTaps) {
    NoiseProfile constant = test::FreshProfile();
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c) constant.bands[b].levels[k][c] = int16_t(7 + b + c);
    const NoiseProfile before = constant;
    SmoothProfile(constant);
    EXPECT_EQ(std::memcmp(&constant, &before, sizeof before), 0);  // constant curves stay

    NoiseProfile p = test::FreshProfile();
    p.bands[2].levels[5][1] = 300;  // a spike spreads over two passes
    // End bins average with their one neighbour. Pass 1: bin 0 = (90 + 0) / 2 = 45, bin 1 = 90 / 3
    // = 30, bin 10 = (0 + 61) / 2 = 30, bin 9 = 61 / 3 = 20. Pass 2: bin 0 = (45 + 30) / 2 = 37,
    // bin 1 = 75 / 3 = 25, bin 10 = (30 + 20) / 2 = 25, bin 9 = 50 / 3 = 16.
    p.bands[0].levels[0][0] = 90;
    p.bands[0].levels[10][0] = 61;
    for (int k = 0; k < 11; ++k) p.bands[1].levels[k][2] = 30000;  // held at the largest luminance
    SmoothProfile(p);
    EXPECT_EQ(CurveOf(p, 2, 1), (Curve{0, 0, 0, 33, 66, 100, 66, 33, 0, 0, 0}));
    EXPECT_EQ(CurveOf(p, 2, 0), Curve{});
    EXPECT_EQ(CurveOf(p, 0, 0), (Curve{37, 25, 10, 0, 0, 0, 0, 0, 6, 16, 25}));
    Curve held;
    held.fill(21906);
    EXPECT_EQ(CurveOf(p, 1, 2), held);
}

}  // namespace
}  // namespace stillpix
