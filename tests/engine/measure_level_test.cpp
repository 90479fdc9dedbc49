// MeasureLevel on hand-built planes. Each case's numbers are worked out by hand in its comments:
// points (8 bx + 3 i, 8 by + 3 j), neighbours at distance r = max(1, 2 - L).
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/measure_noise.h"
#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

using test::kY, test::kCr, test::kCb;
using List = std::vector<uint32_t>;

struct Planes {
    int width, height;
    std::vector<int16_t> y, cr, cb;
    Planes(int w, int h) : width(w), height(h), y(std::size_t(w) * h), cr(y.size()), cb(y.size()) {}
    void Fill(std::vector<int16_t>& plane, const std::function<int(int, int)>& f) {
        for (int j = 0; j < height; ++j)
            for (int i = 0; i < width; ++i) plane[std::size_t(j) * width + i] = int16_t(f(i, j));
    }
    LevelPlanes16 View(bool grey = false) const {
        return {y.data(), cr.data(), cb.data(), width, height, grey};
    }
};

// One measurement of a level into a fresh band; the second-round flag of the level above is set
// before it runs.
struct LevelRun {
    ProfileAccumulator acc;
    ProfileBand band;
    explicit LevelRun(uint32_t flag = 0, int level = 1) {
        band.binCount = 11;
        acc.Flag(level) = flag;
    }
    LevelRun& Measure(const Planes& p, int level, int tileCount = 1, bool grey = false) {
        MeasureLevel(p.View(grey), level, tileCount, band, acc);
        return *this;
    }
    const List& At(int level, int bin, int c) const { return acc.Block(level).lists[bin * 4 + c]; }
};

Planes Flat(int value) {
    Planes p(64, 64);
    p.Fill(p.y, [value](int, int) { return value; });
    return p;
}

TEST(MeasureLevel, FlatLevelZeroIsMeasuredEveryOtherBlock) {
    LevelRun r;
    r.Measure(Flat(10996), 0);  // 8-bit grey 128: bin 5
    // G = max(1, 1 / 20 - 0 + 2) = 2: 4 x 4 of the 8 x 8 blocks. All differences 0, so pass 1
    // takes every block: Y weight (192 - 0) x 4 = 768, Cr and Cb weight 512 >> 4 = 32.
    // n = 16 x 768 >> 8 = 48 for Y, 16 x 32 >> 8 = 2 for Cr and Cb.
    EXPECT_EQ(r.band.counts[5][kY], 48);
    EXPECT_EQ(r.band.counts[5][kCr], 2);
    EXPECT_EQ(r.band.counts[5][kCb], 2);
    EXPECT_EQ(r.At(0, 5, kY), List(48, 0));
    EXPECT_EQ(r.At(0, 5, kCb), List(2, 0));
    EXPECT_EQ(r.acc.Flag(1), 0u);  // all accepted in the first round: no second one below
}

TEST(MeasureLevel, ManyTilesWidenTheBlockStep) {
    LevelRun r;
    r.Measure(Flat(2047), 0, /*tileCount=*/100);  // just below bin 1
    // G = 100 / 20 + 2 = 7: blocks 0 and 7 in each direction. Y: 4 x 768 >> 8 = 12; Cr: 128 >> 8
    // = 0, at least 1.
    EXPECT_EQ(r.band.counts[0][kY], 12);
    EXPECT_EQ(r.band.counts[0][kCr], 1);
    EXPECT_EQ(r.band.counts[1][kY], 0);
}

TEST(MeasureLevel, WellMeasuredBinsAreSkippedAndCountsSaturate) {
    LevelRun r;
    for (int c = 0; c < 3; ++c) r.band.counts[1][c] = 1025;
    r.Measure(Flat(2048), 0);  // bin 1
    EXPECT_TRUE(r.At(0, 1, kY).empty());
    EXPECT_EQ(r.band.counts[1][kY], 1025);
    r.band.counts[1][kCb] = 1024;  // not above 1024 in every channel: measured again
    r.band.counts[1][kY] = 32760;
    r.Measure(Flat(2048), 0);
    EXPECT_EQ(r.band.counts[1][kY], 32767);  // 32760 + 48, held
    EXPECT_EQ(r.band.counts[1][kCb], 1026);
    EXPECT_EQ(r.At(0, 1, kY).size(), 48u);
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
    // limit and V' = 40 - (40 >> 1) = 20. Grey images keep V = 40.
    LevelRun colour, grey;
    colour.Measure(Ramp(40), 1);
    grey.Measure(Ramp(40), 1, 1, /*grey=*/true);
    EXPECT_EQ(colour.band.counts[0][kY], 4);
    EXPECT_EQ(colour.At(1, 0, kY), List(4, 20));
    EXPECT_EQ(colour.band.counts[0][kCr], 1);  // 3 x 32 >> 8 = 0, at least 1
    EXPECT_EQ(grey.At(1, 0, kY), List(4, 40));
}

TEST(MeasureLevel, LaterPassesTakeOnlyTheFirstQualifyingBlock) {
    // step 80: block 0 spread 1339 / 9 = 148, blocks 1 and 2 spread 2 x 80 = 160: all at or above
    // A = 128 of pass 1. Pass 2 (A = 256, B = 220 >> 1 = 110, S_Y = 3) takes block 0 alone, with
    // weight (110 - 3) x 4 >> 1 = 214, so n = 1 (n would be 642 >> 8 = 2 with all three).
    // Cr and Cb were taken in pass 1, not in this pass, so V stays 80.
    LevelRun r(1);
    r.Measure(Ramp(80), 1);
    EXPECT_EQ(r.band.counts[0][kY], 1);
    EXPECT_EQ(r.At(1, 0, kY), List(1, 80));
    EXPECT_EQ(r.acc.Flag(2), 0u);  // all three found in the first round
}

// One 8 x 8 block: Y = 100 left of column 2 and 100 + 1000 on the odd squares of a checkerboard
// from column 2 on; Cr a checkerboard of `crAmplitude`; Cb flat. At level 1: S_Y = 219,
// spread = 222, S_Cr small, bin 0 (mean 475). The largest |dY| is 0 at the three left points
// and 1000 at the six others, so V = 1000.
Planes RoughBlock(int crAmplitude) {
    Planes p(8, 8);
    p.Fill(p.y, [](int x, int y) { return x < 2 ? 100 : 100 + 1000 * ((x + y) & 1); });
    p.Fill(p.cr, [crAmplitude](int x, int y) { return crAmplitude * ((x + y) & 1); });
    return p;
}

TEST(MeasureLevel, StrongChromaStartsASecondRoundOnlyWhenTheLevelMay) {
    // Passes 1..4 reject Y (spread 222 >= 128 in pass 1, then S_Y 219 >= 110, 128, 128). After
    // pass 4 the mean Cr value x (L + 1) = 1200 x 2 = 2400 is not below 2191, and the flag of
    // block 2 (copied from block 1) is 1: pass 5 has A = 128 x 2 = 256 > 222 and B = 256 > 219,
    // so Y is taken with weight (256 - 219) >> 4 = 2, value 1000. The flag stays set.
    LevelRun allowed(1);
    allowed.Measure(RoughBlock(1200), 1);
    EXPECT_EQ(allowed.At(1, 0, kY), List(1, 1000));
    EXPECT_EQ(allowed.At(1, 0, kCr), List(1, 1200));
    EXPECT_EQ(allowed.band.counts[0][kY], 1);
    EXPECT_EQ(allowed.acc.Flag(2), 1u);
    // The level above forbids it: nothing for Y.
    LevelRun forbidden(0);
    forbidden.Measure(RoughBlock(1200), 1);
    EXPECT_TRUE(forbidden.At(1, 0, kY).empty());
    EXPECT_EQ(forbidden.band.counts[0][kY], 0);
    EXPECT_EQ(forbidden.band.counts[0][kCr], 1);
    EXPECT_EQ(forbidden.acc.Flag(2), 0u);
    // Weak chroma (mean Cr 1000 x 2 = 2000 and Cb 0, both below 2191) ends the round and clears the
    // flag.
    LevelRun weak(1);
    weak.Measure(RoughBlock(1000), 1);
    EXPECT_TRUE(weak.At(1, 0, kY).empty());
    EXPECT_EQ(weak.acc.Flag(2), 0u);
    // At level 4 the rule of pass 4 is never reached, so the flag handed down stays as it came.
    LevelRun deep(1, 4);
    deep.Measure(RoughBlock(100), 4);
    EXPECT_TRUE(deep.At(4, 0, kY).empty());
    EXPECT_EQ(deep.acc.Flag(5), 1u);
}

TEST(MeasureLevel, ALevelWithoutWholeBlocksStillHandsTheFlagDown) {
    LevelRun r;
    r.Measure(Planes(7, 30), 0);  // flag of block 1 set to 1, then cleared after pass 4
    EXPECT_EQ(r.acc.Flag(1), 0u);
    r.acc.Flag(2) = 5;
    r.acc.Flag(1) = 1;
    MeasureLevel(LevelPlanes16{}, 1, 1, r.band, r.acc);  // no planes: only the hand-down happens
    EXPECT_EQ(r.acc.Flag(2), 1u);
    for (int k = 0; k < kProfileBinSlots; ++k)
        for (int c = 0; c < 3; ++c) EXPECT_EQ(r.band.counts[k][c], 0);
}

}  // namespace
}  // namespace stillpix
