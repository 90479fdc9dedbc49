// BuildImageProfile end to end: refusals, the tile callbacks, and the levels of flat, patterned
// and noisy images, worked out from the colour transform and the measurement rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

using test::FreshProfile;
using test::Grid;
using test::kY, test::kCr, test::kCb;

bool Measure(const std::vector<uint8_t>& image, int w, int h, int bpp, NoiseProfile& p) {
    Grid g(w, h);
    return BuildImageProfile(g.grid, w, h, int(image.size() / h), bpp, image.data(), p, nullptr,
                             nullptr, nullptr);
}

// The 8-bit Y of a grey value: (3226 + 1645 + 627) v >> 6.
int GreyY(int v) { return (5498 * v) >> 6; }

// Grey stripes of 48 rows, one per luminosity bin, each at the grey value whose Y lies in the
// middle of its bin, plus `noise(x, y)`. 256 x 528: one tile.
constexpr int kStripesW = 256, kStripesH = 11 * 48;
int StripeGrey(int bin) { return int(std::lround((2048.0 * bin + 1024.0) * 64.0 / 5498.0)); }

template <class Noise>
std::vector<uint8_t> Stripes(Noise noise) {
    std::vector<uint8_t> image(std::size_t(kStripesW) * kStripesH);
    for (int y = 0; y < kStripesH; ++y)
        for (int x = 0; x < kStripesW; ++x)
            image[std::size_t(y) * kStripesW + x] =
                uint8_t(std::clamp<long>(std::lround(StripeGrey(y / 48) + noise(x, y)), 0, 255));
    return image;
}

// +3 and -3 on the squares of a checkerboard of 2 x 2 pixel cells: at distance 2 the four axial
// neighbours lie on the other sign and the four diagonal ones on the same.
double CellPattern(int x, int y) { return ((x >> 1) + (y >> 1)) & 1 ? 3.0 : -3.0; }

TEST(BuildImageProfile, RefusesWithoutTouchingAnything) {
    const std::vector<uint8_t> image(64 * 64 * 6, 128);
    int calls = 0;
    auto counting = [](ProgressRecord& r) { return ++*static_cast<int*>(r.callerData), 1; };
    Grid g(64, 64);
    NoiseProfile p = FreshProfile(), bandless = FreshProfile();
    p.bands[0].binCount = 3;  // a reset would make this 11
    bandless.bandCount = 0;
    const NoiseProfile before = p, bandlessBefore = bandless;
    auto build = [&](int w, int stride, int bpp, const uint8_t* bits, NoiseProfile& profile) {
        return BuildImageProfile(g.grid, w, 64, stride, bpp, bits, profile, &calls, counting,
                                 nullptr);
    };
    EXPECT_FALSE(build(64, 64 * 6, 48, image.data(), p));  // measurement exists on 8-bit data only
    EXPECT_FALSE(build(64, 64 * 2, 16, image.data(), p));
    EXPECT_FALSE(build(64, 64 * 3 - 1, 24, image.data(), p));
    EXPECT_FALSE(build(64, 64, 8, nullptr, p));
    EXPECT_FALSE(build(0, 64, 8, image.data(), p));
    EXPECT_FALSE(build(64, 64, 8, image.data(), bandless));
    EXPECT_EQ(std::memcmp(&p, &before, sizeof p), 0);
    EXPECT_EQ(std::memcmp(&bandless, &bandlessBefore, sizeof bandless), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(g.grid.tiles[0].profiled, 0);
}

TEST(BuildImageProfile, FlatColourImageGivesLevelOneAndItsBlockCounts) {
    // 62 x 64, B, G, R = 60, 120, 200, rows padded to 188 bytes. Y = (3226 x 120 + 1645 x 200
    // + 627 x 60) >> 6 = 11777: bin 5 at every level (box means of a constant are the constant).
    // Every difference is 0, so pass 1 takes every measured block; n = W >> 8 (at least 1):
    // level 0: 7 x 8 blocks, G = 2 -> 4 x 4; Y 16 x 768 -> 48, Cr, Cb 16 x 32 -> 2.
    // level 1 (31 x 32): 3 x 4 blocks, G = 1; Y 12 x 96 x 4 -> 18, Cr, Cb 384 -> 1.
    // level 2 (16 x 16): 4 blocks; Y 4 x 48 x 4 -> 3, Cr, Cb 1. level 3 (8 x 8): Y 12 x 4 -> 1.
    const int w = 62, h = 64, stride = 188;
    std::vector<uint8_t> image(std::size_t(stride) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &image[std::size_t(y) * stride + 3 * x];
            px[0] = 60, px[1] = 120, px[2] = 200;
        }
    NoiseProfile p = FreshProfile();
    ASSERT_TRUE(Measure(image, w, h, 24, p));
    const int16_t expected[4][3] = {{48, 2, 2}, {18, 1, 1}, {3, 1, 1}, {1, 1, 1}};
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(p.bands[b].levels[k][c], 1) << b << " " << k << " " << c;
                EXPECT_EQ(p.bands[b].counts[k][c], k == 5 ? expected[b][c] : 1)
                    << b << " " << k << " " << c;
            }
}

TEST(BuildImageProfile,
     ACellPatternOfThreeStepsGivesItsLevelInEveryBinAndTwiceTheSupportWhenRepeated) {
    // Each stripe alternates v - 3 and v + 3; the largest neighbour difference at every point is
    // Y(v + 3) - Y(v - 3) = 5498 x 6 / 64 = 515.4, so 515 or 516, and 515 >> 4 = 516 >> 4 = 32.
    // Blocks that see two stripes have a spread far above 128 and are not taken. With every bin
    // measured at 32 the curve is flat and the trend correction leaves it. Chrominance of grey is
    // v >> 6, constant in each stripe: level 0, lifted to 1.
    for (int bin = 0; bin < 11; ++bin) {  // the set-up keeps v - 3 and v + 3 inside the bin
        ASSERT_EQ(GreyY(StripeGrey(bin) - 3) >> 11, bin);
        ASSERT_EQ(std::min(GreyY(StripeGrey(bin) + 3) >> 11, 10), bin);
        ASSERT_EQ((StripeGrey(bin) - 3) >> 6, (StripeGrey(bin) + 3) >> 6);
    }
    const auto image = Stripes(CellPattern);
    NoiseProfile once = FreshProfile();
    ASSERT_TRUE(Measure(image, kStripesW, kStripesH, 8, once));
    // Counts stay far below 1024, so a second run measures the same blocks again: the levels
    // (rebuilt from the second run's lists alone) stay and the support doubles.
    NoiseProfile twice = once;
    ASSERT_TRUE(Measure(image, kStripesW, kStripesH, 8, twice));
    for (int k = 0; k < 11; ++k) {
        SCOPED_TRACE(testing::Message() << "bin " << k);
        EXPECT_EQ(once.bands[0].levels[k][kY], 32);
        EXPECT_GT(once.bands[0].counts[k][kY], 1);
        ASSERT_LT(once.bands[0].counts[k][kY], 1024);
        EXPECT_EQ(once.bands[0].levels[k][kCr], 1);
        EXPECT_EQ(once.bands[0].levels[k][kCb], 1);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(twice.bands[0].levels[k][c], once.bands[0].levels[k][c]) << c;
        EXPECT_EQ(twice.bands[0].counts[k][kY], 2 * once.bands[0].counts[k][kY]);
    }
}

// Callbacks: a 700 x 300 image is two tiles; record 0 is the right tile, record 1 the left.
struct Calls {
    std::vector<std::pair<int, int>> seen;  // (tile index, stage)
    int skipBefore = -1;
    int stopAfter = -1;
    bool profilingFlagSeen = false;
    TileGrid* grid = nullptr;
    bool gridSeen = true;
};

int Record(ProgressRecord& r) {
    auto& calls = *static_cast<Calls*>(r.callerData);
    calls.seen.emplace_back(r.tileIndex, r.stage);
    calls.profilingFlagSeen = calls.profilingFlagSeen || r.filtering != 0;
    calls.gridSeen = calls.gridSeen && r.tiles == calls.grid;
    if (r.stage == kBeforeTile && r.tileIndex == calls.skipBefore) return 0;
    return r.stage == kAfterTile && r.tileIndex == calls.stopAfter ? 0 : 1;
}

// Every level and count of the four bands at least 1: the curves were finished.
bool Finished(const NoiseProfile& p) {
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c)
                if (p.bands[b].levels[k][c] < 1 || p.bands[b].counts[k][c] < 1) return false;
    return true;
}

TEST(BuildImageProfileCallbacks, SkipsAndStopsDecideTheResultAndTheFinish) {
    const test::EngineThreadsScope oneThread(1);  // one thread's exact order of callbacks
    struct Case {
        int skipBefore, stopAfter;
        bool result;
        uint8_t profiled[2];
        std::vector<std::pair<int, int>> seen;
    };
    const auto image = test::ColourImage8(700, 300, 6.0, 9);
    const std::vector<std::pair<int, int>> all = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (const Case& c :
         {Case{-1, -1, true, {1, 1}, all}, Case{0, -1, true, {0, 1}, {{0, 0}, {1, 0}, {1, 1}}},
          Case{1, -1, false, {1, 0}, {{0, 0}, {0, 1}, {1, 0}}},
          Case{-1, 0, false, {1, 0}, {{0, 0}, {0, 1}}}}) {
        SCOPED_TRACE(testing::Message() << "skip " << c.skipBefore << ", stop " << c.stopAfter);
        NoiseProfile profile = FreshProfile();
        Calls calls;
        calls.skipBefore = c.skipBefore, calls.stopAfter = c.stopAfter;
        Grid g(700, 300);
        ASSERT_EQ(g.grid.count, 2);
        calls.grid = &g.grid;
        EXPECT_EQ(BuildImageProfile(g.grid, 700, 300, test::Stride24(700), 24, image.data(),
                                    profile, &calls, Record, nullptr),
                  c.result);
        EXPECT_EQ(calls.seen, c.seen);
        EXPECT_FALSE(calls.profilingFlagSeen);  // the record says "profiling" (0)
        EXPECT_TRUE(calls.gridSeen);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(g.grid.tiles[i].profiled, c.profiled[i]) << i;
            EXPECT_EQ(g.grid.tiles[i].filtered, 0) << i;
        }
        // Only a run whose last tile completed finishes the curves; what a measured tile raised
        // stays either way.
        EXPECT_EQ(Finished(profile), c.result);
        int support = 0;
        for (int k = 0; k < 11; ++k) support += profile.bands[0].counts[k][kY];
        EXPECT_GT(support, 0);
        for (int k = 0; k < 11 && !c.result; ++k) EXPECT_EQ(profile.bands[0].levels[k][kY], 0) << k;
    }
}

}  // namespace
}  // namespace stillpix
