// MeasureLevel on hand-built planes. Each case's numbers are worked out by hand in its comments:
// points (8 bx + 3 i, 8 by + 3 j), neighbours at distance r = max(1, 2 - L).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/measure_noise.h"

namespace stillpix {
namespace {

constexpr int kY = 0, kCr = 1, kCb = 2;

struct Planes {
    int width, height;
    std::vector<int16_t> y, cr, cb;
    Planes(int w, int h) : width(w), height(h), y(std::size_t(w) * h), cr(y.size()), cb(y.size()) {}
    void Fill(std::vector<int16_t>& plane, const std::function<int(int, int)>& f) {
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i) plane[std::size_t(j) * width + i] = int16_t(f(i, j));
    }
    LevelPlanes16 View(bool grey = false) const { return {y.data(), cr.data(), cb.data(), width, height, grey}; }
};

ProfileBand EmptyBand() {
    ProfileBand band;
    band.binCount = 11;
    return band;
}

const std::vector<uint32_t>& List(const ProfileAccumulator& acc, int level, int bin, int c) {
    return acc.Block(level).lists[bin * 4 + c];
}

TEST(MeasureLevel, FlatLevelZeroIsMeasuredEveryOtherBlock) {
    Planes p(64, 64);
    p.Fill(p.y, [](int, int) { return 10996; });   // 8-bit grey 128: bin 5
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    MeasureLevel(p.View(), 0, /*tileCount=*/1, band, acc);
    // G = max(1, 1 / 20 - 0 + 2) = 2: 4 x 4 of the 8 x 8 blocks. All differences 0, so pass 1
    // takes every block: Y weight (192 - 0) x 4 = 768, Cr and Cb weight 512 >> 4 = 32.
    // n = 16 x 768 >> 8 = 48 for Y, 16 x 32 >> 8 = 2 for Cr and Cb.
    EXPECT_EQ(band.counts[5][kY], 48);
    EXPECT_EQ(band.counts[5][kCr], 2);
    EXPECT_EQ(band.counts[5][kCb], 2);
    EXPECT_EQ(List(acc, 0, 5, kY), std::vector<uint32_t>(48, 0));
    EXPECT_EQ(List(acc, 0, 5, kCb), std::vector<uint32_t>(2, 0));
    // Everything was accepted in the first round, so level 1 may not run a second one.
    EXPECT_EQ(acc.Flag(1), 0u);
}

TEST(MeasureLevel, ManyTilesWidenTheBlockStep) {
    Planes p(64, 64);
    p.Fill(p.y, [](int, int) { return 2047; });   // just below bin 1
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    MeasureLevel(p.View(), 0, /*tileCount=*/100, band, acc);
    // G = 100 / 20 + 2 = 7: blocks 0 and 7 in each direction. Y: 4 x 768 >> 8 = 12; Cr: 128 >> 8
    // = 0, at least 1.
    EXPECT_EQ(band.counts[0][kY], 12);
    EXPECT_EQ(band.counts[0][kCr], 1);
    EXPECT_EQ(band.counts[1][kY], 0);
}

TEST(MeasureLevel, WellMeasuredBinsAreSkippedAndCountsSaturate) {
    Planes p(64, 64);
    p.Fill(p.y, [](int, int) { return 2048; });   // bin 1
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    band.counts[1][kY] = 1025;
    band.counts[1][kCr] = 1025;
    band.counts[1][kCb] = 1025;
    MeasureLevel(p.View(), 0, 1, band, acc);
    EXPECT_TRUE(List(acc, 0, 1, kY).empty());
    EXPECT_EQ(band.counts[1][kY], 1025);

    band.counts[1][kCb] = 1024;   // not above 1024 in every channel: measured again
    band.counts[1][kY] = 32760;
    MeasureLevel(p.View(), 0, 1, band, acc);
    EXPECT_EQ(band.counts[1][kY], 32767);   // 32760 + 48, held
    EXPECT_EQ(band.counts[1][kCb], 1026);
    EXPECT_EQ(List(acc, 0, 1, kY).size(), 48u);
}

// Three 8 x 8 blocks side by side at level 1 (r = 1, G = 1), Y rising by `step` per column.
// The largest neighbour difference is `step` at every point. Block 0's left points lack their
// left neighbours; blocks 1 and 2 have them.
Planes Ramp(int step) {
    Planes p(24, 8);
    p.Fill(p.y, [step](int x, int) { return step * x; });
    return p;
}

TEST(MeasureLevel, FlatChromaHalvesTheLuminanceValueOfColourImages) {
    // step 40: block 0 point deviations 18 12 12 19 15 15 19 15 15 -> S_Y = 17 / 9 = 1; blocks
    // 1, 2: 12 x 3, 15 x 6 -> S_Y = 1. Spreads: block 1 and 2 = 2 x 40 = 80, block 0 about 74,
    // all below A = 128, and S_Y below B = 192 >> 1 = 96: pass 1 takes all three with weight
    // 95 x 4 = 380, W = 1140, n = 4. The same blocks gave Cr and Cb with spreads 0, so r has no
    // limit and V' = 40 - (40 >> 1) = 20.
    const Planes p = Ramp(40);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    MeasureLevel(p.View(), 1, 1, band, acc);
    EXPECT_EQ(band.counts[0][kY], 4);
    EXPECT_EQ(List(acc, 1, 0, kY), std::vector<uint32_t>(4, 20));
    EXPECT_EQ(band.counts[0][kCr], 1);   // 3 x 32 >> 8 = 0, at least 1

    ProfileAccumulator greyAcc;
    ProfileBand greyBand = EmptyBand();
    MeasureLevel(p.View(/*grey=*/true), 1, 1, greyBand, greyAcc);
    EXPECT_EQ(List(greyAcc, 1, 0, kY), std::vector<uint32_t>(4, 40));
}

TEST(MeasureLevel, LaterPassesTakeOnlyTheFirstQualifyingBlock) {
    // step 80: block 0 spread 1339 / 9 = 148, blocks 1 and 2 spread 2 x 80 = 160: all at or above
    // A = 128 of pass 1. Pass 2 (A = 256, B = 220 >> 1 = 110, S_Y = 3) takes block 0 alone, with
    // weight (110 - 3) x 4 >> 1 = 214, so n = 1 (n would be 642 >> 8 = 2 with all three).
    // Cr and Cb were taken in pass 1, not in this pass, so V stays 80.
    const Planes p = Ramp(80);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    acc.Flag(1) = 1;
    MeasureLevel(p.View(), 1, 1, band, acc);
    EXPECT_EQ(band.counts[0][kY], 1);
    EXPECT_EQ(List(acc, 1, 0, kY), std::vector<uint32_t>(1, 80));
    EXPECT_EQ(acc.Flag(2), 0u);   // all three found in the first round
}

// One 8 x 8 block at level `level`: Y = 100 left of column 2 and 100 + 1000 on the odd squares of
// a checkerboard from column 2 on; Cr a checkerboard of `crAmplitude`; Cb flat.
// At level 1: S_Y = 219, spread = 222, S_Cr small, bin 0 (mean 475). The largest |dY| is 0 at the
// three left points and 1000 at the six others, so V = 1000.
Planes RoughBlock(int crAmplitude) {
    Planes p(8, 8);
    p.Fill(p.y, [](int x, int y) { return x < 2 ? 100 : 100 + 1000 * ((x + y) & 1); });
    p.Fill(p.cr, [crAmplitude](int x, int y) { return crAmplitude * ((x + y) & 1); });
    return p;
}

TEST(MeasureLevel, StrongChromaStartsASecondRoundWhenTheLevelMay) {
    // Passes 1..4 reject Y (spread 222 >= 128 in pass 1, then S_Y 219 >= 110, 128, 128). After
    // pass 4 the mean Cr value x (L + 1) = 1200 x 2 = 2400 is not below 2191, and the flag of
    // block 2 (copied from block 1) is 1: pass 5 has A = 128 x 2 = 256 > 222 and B = 256 > 219,
    // so Y is taken with weight (256 - 219) >> 4 = 2, value 1000. The flag stays set.
    const Planes p = RoughBlock(1200);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    acc.Flag(1) = 1;
    MeasureLevel(p.View(), 1, 1, band, acc);
    EXPECT_EQ(List(acc, 1, 0, kY), std::vector<uint32_t>(1, 1000));
    EXPECT_EQ(List(acc, 1, 0, kCr), std::vector<uint32_t>(1, 1200));
    EXPECT_EQ(band.counts[0][kY], 1);
    EXPECT_EQ(acc.Flag(2), 1u);
}

TEST(MeasureLevel, NoSecondRoundWhenTheLevelAboveForbidsIt) {
    const Planes p = RoughBlock(1200);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    acc.Flag(1) = 0;
    MeasureLevel(p.View(), 1, 1, band, acc);
    EXPECT_TRUE(List(acc, 1, 0, kY).empty());
    EXPECT_EQ(band.counts[0][kY], 0);
    EXPECT_EQ(band.counts[0][kCr], 1);
    EXPECT_EQ(acc.Flag(2), 0u);
}

TEST(MeasureLevel, WeakChromaEndsTheRoundAndClearsTheFlag) {
    // Mean Cr 1000 x 2 = 2000 and Cb 0 are both below 2191.
    const Planes p = RoughBlock(1000);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    acc.Flag(1) = 1;
    MeasureLevel(p.View(), 1, 1, band, acc);
    EXPECT_TRUE(List(acc, 1, 0, kY).empty());
    EXPECT_EQ(acc.Flag(2), 0u);
}

TEST(MeasureLevel, DeepLevelsStopAfterThreePasses) {
    // At level 4 the rule of pass 4 is never reached, so the flag handed down stays as it came.
    const Planes p = RoughBlock(100);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    acc.Flag(4) = 1;
    MeasureLevel(p.View(), 4, 1, band, acc);
    EXPECT_TRUE(List(acc, 4, 0, kY).empty());
    EXPECT_EQ(acc.Flag(5), 1u);
}

TEST(MeasureLevel, ALevelWithoutWholeBlocksStillHandsTheFlagDown) {
    Planes p(7, 30);
    ProfileAccumulator acc;
    ProfileBand band = EmptyBand();
    MeasureLevel(p.View(), 0, 1, band, acc);   // flag of block 1 set to 1, then cleared after pass 4
    EXPECT_EQ(acc.Flag(1), 0u);
    acc.Flag(2) = 5;
    acc.Flag(1) = 1;
    LevelPlanes16 none{};
    MeasureLevel(none, 1, 1, band, acc);   // no planes: only the hand-down happens
    EXPECT_EQ(acc.Flag(2), 1u);
    for (int k = 0; k < kProfileBinSlots; ++k)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(band.counts[k][c], 0);
}

}  // namespace
}  // namespace stillpix
