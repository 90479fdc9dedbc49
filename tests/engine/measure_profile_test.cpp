// The profile record: byte layout, reset and curve smoothing.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "engine/noise_profile.h"

namespace stillpix {
namespace {

int16_t Le16(const std::array<uint8_t, kNoiseProfileBytes>& b, std::size_t at) {
    return static_cast<int16_t>(b[at] | (b[at + 1] << 8));
}
int32_t Le32(const std::array<uint8_t, kNoiseProfileBytes>& b, std::size_t at) {
    return static_cast<int32_t>(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                                uint32_t(b[at + 3]) << 24);
}

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

TEST(NoiseProfileBytes, FieldsSitWhereTheRecordPutsThem) {
    const auto bytes = EncodeNoiseProfile(Numbered());
    EXPECT_EQ(Le32(bytes, 0), 4);
    for (int b = 0; b < kProfileBandSlots; ++b) {
        const std::size_t band = 4 + 200 * std::size_t(b);
        EXPECT_EQ(Le32(bytes, band), 11 + b);
        EXPECT_EQ(Le32(bytes, band + 4), b);
        // levels: 16 triples from offset 8, then counts: 16 triples from offset 8 + 96
        EXPECT_EQ(Le16(bytes, band + 8 + 2 * (3 * 7 + 2)), b * 1000 + 72);
        EXPECT_EQ(Le16(bytes, band + 104 + 2 * (3 * 15 + 1)), -(b * 1000 + 151) - 1);
    }
}

TEST(NoiseProfileBytes, RoundTripKeepsEveryByte) {
    const NoiseProfile p = Numbered();
    NoiseProfile back;
    const auto bytes = EncodeNoiseProfile(p);
    ASSERT_TRUE(DecodeNoiseProfile(bytes, back));
    EXPECT_EQ(EncodeNoiseProfile(back), bytes);
    EXPECT_EQ(std::memcmp(&back, &p, sizeof p), 0);
}

TEST(NoiseProfileBytes, WrongSizeIsRefusedAndLeavesTheTargetAlone) {
    const auto bytes = EncodeNoiseProfile(Numbered());
    NoiseProfile target;
    target.bandCount = 77;
    std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - 1);
    std::vector<uint8_t> longer(bytes.begin(), bytes.end());
    longer.push_back(0);
    EXPECT_FALSE(DecodeNoiseProfile(shorter, target));
    EXPECT_FALSE(DecodeNoiseProfile(longer, target));
    EXPECT_FALSE(DecodeNoiseProfile({}, target));
    EXPECT_EQ(target.bandCount, 77);
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
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < kProfileBinSlots; ++k)
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(p.bands[b].levels[k][c], 0);
                EXPECT_EQ(p.bands[b].counts[k][c], 0);
            }
    // The fifth record is not part of the profile's shape.
    EXPECT_EQ(p.bands[4].binCount, 15);
    EXPECT_EQ(p.bands[4].levels[2][2], 4022);
}

NoiseProfile Shaped() {
    NoiseProfile p;
    ResetProfile(p, false);
    return p;
}

TEST(SmoothProfile, ConstantCurvesStay) {
    NoiseProfile p = Shaped();
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c) p.bands[b].levels[k][c] = int16_t(7 + b + c);
    const NoiseProfile before = p;
    SmoothProfile(p);
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
}

TEST(SmoothProfile, SpikeSpreadsOverTwoPasses) {
    NoiseProfile p = Shaped();
    p.bands[2].levels[5][1] = 300;
    SmoothProfile(p);
    const int16_t expected[11] = {0, 0, 0, 33, 66, 100, 66, 33, 0, 0, 0};
    for (int k = 0; k < 11; ++k) EXPECT_EQ(p.bands[2].levels[k][1], expected[k]) << "bin " << k;
    for (int k = 0; k < 11; ++k) EXPECT_EQ(p.bands[2].levels[k][0], 0);
}

TEST(SmoothProfile, EndBinsAverageWithTheirOneNeighbour) {
    NoiseProfile p = Shaped();
    // Pass 1: bin 0 = (90 + 0) / 2 = 45, bin 1 = 90 / 3 = 30, bin 10 = (0 + 61) / 2 = 30,
    // bin 9 = 61 / 3 = 20. Pass 2: bin 0 = (45 + 30) / 2 = 37, bin 10 = (30 + 20) / 2 = 25.
    p.bands[0].levels[0][0] = 90;
    p.bands[0].levels[10][0] = 61;
    SmoothProfile(p);
    EXPECT_EQ(p.bands[0].levels[0][0], 37);
    EXPECT_EQ(p.bands[0].levels[1][0], (45 + 30 + 0) / 3);
    EXPECT_EQ(p.bands[0].levels[10][0], 25);
    EXPECT_EQ(p.bands[0].levels[9][0], (0 + 20 + 30) / 3);
}

TEST(SmoothProfile, ResultsAreHeldAtTheLargestLuminance) {
    NoiseProfile p = Shaped();
    for (int k = 0; k < 11; ++k) p.bands[1].levels[k][2] = 30000;
    SmoothProfile(p);
    for (int k = 0; k < 11; ++k) EXPECT_EQ(p.bands[1].levels[k][2], 21906);
}

}  // namespace
}  // namespace stillpix
