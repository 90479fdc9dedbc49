// FinishProfile: from raw measurements to curves, for an image's own measurement and for a
// replay of stored ones. Expected numbers are worked out by hand in the comments.
#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

using test::Curve, test::CurveOf, test::kY, test::kCr, test::kCb;
using test::FreshProfile;

// Measured values reach the lists in 1/16 of a level; `level` x 16 comes back as `level`.
void AddMeasured(ProfileAccumulator& acc, int band, int bin, int channel, int level,
                 int times = 1) {
    for (int i = 0; i < times; ++i) acc.Append(band, bin, channel, uint32_t(level) * 16);
}

// Every bin of one band and channel measured once at `levels`, with counts `count`.
void MeasureWholeBand(ProfileAccumulator& acc, NoiseProfile& p, int channel,
                      std::initializer_list<int> levels, int16_t count) {
    int k = 0;
    for (int level : levels)
        AddMeasured(acc, 0, k, channel, level), p.bands[0].counts[k++][channel] = count;
}

// The Y curve of band 0 after finishing an image's measurement of it.
Curve FinishedY(std::initializer_list<int> levels, int16_t count) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    MeasureWholeBand(acc, p, kY, levels, count);
    FinishProfile(acc, p, true);
    return CurveOf(p, 0, kY);
}

TEST(ProfileAccumulator, AppendReturnsTheIndexAndRefusesOutsideAddresses) {
    ProfileAccumulator acc;
    EXPECT_EQ(acc.Append(3, 10, 2, 5), 0u);
    EXPECT_EQ(acc.Append(3, 10, 2, 6), 1u);
    EXPECT_EQ(acc.Append(3, 10, 2, 7), 2u);
    EXPECT_EQ(acc.Append(15, 255, 3, 1), 0u);  // the last list of the last block
    for (auto [level, bin, channel] : {std::array{16, 0, 0}, {-1, 0, 0}, {0, 256, 0}, {0, 0, 4}})
        EXPECT_EQ(acc.Append(level, bin, channel, 1), kNoAccumulatorEntry)
            << level << " " << bin << " " << channel;
    EXPECT_EQ(acc.Block(3).lists[10 * 4 + 2].size(), 3u);
    acc.SetCounter(2, 1, 1, 10);
    acc.AddCounter(2, 1, 1, 5);
    acc.AddCounter(2, 1, 1, 0xFFFFFFF0u);
    EXPECT_EQ(acc.Block(2).counters[1 * 4 + 1], 0xFFFFFFFFu);
    acc.SetCounter(99, 0, 0, 1);  // ignored, no crash
}

TEST(FinishProfileFromImage, LevelsAreTheLowerMedianInSixteenths) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    // Y bin 4 of band 0: 50, 10, 30, 40 (x 16 + noise below 16) -> sorted 10 30 40 50, index 1.
    for (int v : {50 * 16 + 15, 10 * 16, 30 * 16 + 7, 40 * 16}) acc.Append(0, 4, kY, uint32_t(v));
    for (int k = 0; k < 11; ++k) {
        for (int c = 0; c < 3; ++c) p.bands[0].counts[k][c] = 5;
        if (k != 4) AddMeasured(acc, 0, k, kY, 30);
        AddMeasured(acc, 0, k, kCr, 12), AddMeasured(acc, 0, k, kCb, 9);
    }
    FinishProfile(acc, p, true);
    EXPECT_EQ(CurveOf(p, 0, kY),
              (Curve{30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30}));  // flat: the trend leaves it
    EXPECT_EQ(p.bands[0].levels[7][kCr], 12);
    EXPECT_EQ(p.bands[0].counts[7][kCb], 5);  // measured counts are kept
}

TEST(FinishProfileFromImage, GapsAreFilledFromTheNearestMeasuredBins) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    // Cr of band 0 measured in bins 2 (40) and 6 (80) only.
    AddMeasured(acc, 0, 2, kCr, 40, 3);
    AddMeasured(acc, 0, 6, kCr, 80, 3);
    p.bands[0].counts[2][kCr] = p.bands[0].counts[6][kCr] = 3;
    FinishProfile(acc, p, true);
    // Between: (dL x R + dR x L) / (dL + dR): bin 3 (80 + 3 x 40) / 4 = 50, bin 4 60, bin 5 70.
    // Left end, no left bin: bin 1: R = 40, dR = 1, L = 40 / (2 + 1) = 13 -> (2 x 40 + 13) / 3 =
    // 31; bin 0: R = 40, dR = 2, L = 40 / 2 = 20 -> (40 + 2 x 20) / 3 = 26. Right end, no right
    // bin: R = L / (11 - k + 1): bin 7 R = 16 -> (16 + 4 x 80) / 5 = 67; bin 8 R = 20 -> (2 x 20 +
    // 3 x 80) / 5 = 56; bin 9 R = 26 -> (3 x 26 + 2 x 80) / 5 = 47; bin 10 R = 40 -> (4 x 40 + 80)
    // / 5 = 48.
    EXPECT_EQ(CurveOf(p, 0, kCr), (Curve{26, 31, 40, 50, 60, 70, 80, 67, 56, 47, 48}));
    // Filling does not invent support; only the last step lifts counts to 1.
    EXPECT_EQ(p.bands[0].counts[4][kCr], 1);
    EXPECT_EQ(p.bands[0].counts[2][kCr], 3);
}

TEST(FinishProfileFromImage, AMeasuredZeroCountsAsMissingForTheFill) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    AddMeasured(acc, 0, 2, kCb, 10);
    acc.Append(0, 5, kCb, 8);  // measured, but below one level: 8 >> 4 = 0
    p.bands[0].counts[2][kCb] = p.bands[0].counts[5][kCb] = 1;
    FinishProfile(acc, p, true);
    // bin 3: L = 10 at dL = 1; the right bin has level 0, so dR = 11 - 3 = 8, R = 10 / 9 = 1;
    // (1 x 1 + 8 x 10) / 9 = 9. bin 4: dL = 2, dR = 7, R = 10 / 8 = 1: (2 + 70) / 9 = 8.
    EXPECT_EQ(p.bands[0].levels[3][kCb], 9);
    EXPECT_EQ(p.bands[0].levels[4][kCb], 8);
    EXPECT_EQ(p.bands[0].levels[5][kCb], 1);  // measured 0, lifted to 1, not filled
}

TEST(FinishProfileFromImage, NothingMeasuredGivesLevelOneEverywhere) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    FinishProfile(acc, p, true);
    for (int b = 0; b < 4; ++b)
        for (int k = 0; k < 16; ++k)
            for (int c = 0; c < 3; ++c) {
                EXPECT_EQ(p.bands[b].levels[k][c], k < 11 ? 1 : 0) << b << " " << k << " " << c;
                EXPECT_EQ(p.bands[b].counts[k][c], k < 11 ? 1 : 0) << b << " " << k << " " << c;
            }
}

TEST(FinishProfileFromImage, TrendCorrectionOfWholeCurves) {
    // A linear curve is left alone.
    EXPECT_EQ(FinishedY({10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30}, 100),
              (Curve{10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30}));
    // A bump: curvatures 0 0 0 16 -32 16 0 0 sum to 0, so every slope becomes the mean slope 0 and
    // the rebuilt curve is flat 16; D = 0. Bin 5: mo = 192 / 11, w = 100 x mo / (mo - 16) = 1200,
    // (32 x 1200 + 16 x 100) / 1300 = 30.77 -> 30.
    EXPECT_EQ(FinishedY({16, 16, 16, 16, 16, 32, 16, 16, 16, 16, 16}, 100),
              (Curve{16, 16, 16, 16, 16, 30, 16, 16, 16, 16, 16}));
    // Concave: slopes 10 8 6 4 2 0 0 0 0 0, curvatures -2 x 5 and 0 x 3: m2 = -10 / 8 = -1.25.
    // s2..s9 = 8.75 7.5 6.25 5 3.75 2.5 1.25 0 (s1 = 10, s10 = 0 stay); rebuilt
    // 10 20 28 35 41 46 49 51 52 52 52; D = 52 - 40 = 12; minus k x 12 / 9:
    // 19 26 31 36 40 41 42 42 40 39. mo = 370 / 11, mc = 100; mixing with w = 100 x mo / |Y - mo|
    // gives 19 27 33 37 40 40 40 40 40 39 (e.g. bin 2: w = 37000 / 84, (28 w + 2600) / (w + 100)
    // = 27.6 -> 27; bin 6: w = 37000 / 81, (40 w + 4100) / (w + 100) = 40.2 -> 40).
    EXPECT_EQ(FinishedY({10, 20, 28, 34, 38, 40, 40, 40, 40, 40, 40}, 100),
              (Curve{10, 19, 27, 33, 37, 40, 40, 40, 40, 40, 39}));
    // Bin 10 unmeasured: R = 38 / 2 = 19 at dR = 1, so (19 + 38) / 2 = 28. Curvatures of bins
    // 2..9 are all 0, so every slope becomes m1 = (28 - 20) / 10 = 0.8, and the truncated rebuild
    // stays at 20; D = 20 - 38 = -18, so Y[k] = 20 + 2 k, equal to the measurements up to bin 9.
    // Bin 10: 40 against O = 28; its count is 0, so w = 0 and Y = 40 x mc / mc (mc = 550 / 11 = 50)
    // = 40: an unsupported bin is not held at its filled value.
    EXPECT_EQ(FinishedY({20, 22, 24, 26, 28, 30, 32, 34, 36, 38}, 55),
              (Curve{20, 22, 24, 26, 28, 30, 32, 34, 36, 38, 40}));
}

TEST(FinishProfileReplay, CountsComeFromTheCountersAndLevelsAreNotScaled) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    for (uint32_t v : {5u, 1u, 9u, 7u}) acc.Append(0, 3, kCr, v);  // 1 5 7 9 -> 5
    acc.SetCounter(0, 3, kCr, 40000);
    acc.SetCounter(0, 4, kCr, 12);
    acc.Append(0, 4, kCr, 70000);   // far beyond a level: held at the i16 maximum
    p.bands[0].levels[6][kY] = 99;  // replaced: replay starts from a clear profile
    FinishProfile(acc, p, false);
    EXPECT_EQ(p.bands[0].levels[3][kCr], 5);
    EXPECT_EQ(p.bands[0].counts[3][kCr], 32767);
    EXPECT_EQ(p.bands[0].levels[4][kCr], 32767);
    EXPECT_EQ(p.bands[0].counts[4][kCr], 12);
    EXPECT_EQ(p.bands[0].levels[6][kY], 0);  // no gap filling in a replay
    EXPECT_EQ(p.bands[0].counts[6][kY], 1);  // but every count ends at least 1
}

TEST(FinishProfileReplay, EmptyEndsOfABandTakeTheFinerBandScaledByTheirRatio) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    for (int k = 0; k < 11; ++k) acc.Append(0, k, kY, uint32_t(100 + 10 * k));
    for (int k = 3; k <= 7; ++k) acc.Append(1, k, kY, uint32_t(40 + 5 * (k - 3)));
    for (int k = 0; k < 11; ++k) acc.Append(0, k, kCb, 100);
    for (int k : {2, 3, 6}) acc.Append(1, k, kCb, 50);
    FinishProfile(acc, p, false);
    // Ratio terms 100 x 130 / 40 = 325, 311, 300, 290, 283: mean 1509 / 5 = 301.
    // Bins 0..2: 100 x 100 / 301 = 33, 36, 39; bins 8..10: 18000 / 301 = 59, 63, 66.
    EXPECT_EQ(CurveOf(p, 1, kY), (Curve{33, 36, 39, 40, 45, 50, 55, 60, 59, 63, 66}));
    // Cb ratio 200: bins 0, 1 and 7..10 get 50; bins 4 and 5 lie between measured bins: no end, 0.
    EXPECT_EQ(CurveOf(p, 1, kCb), (Curve{50, 50, 50, 50, 0, 0, 50, 50, 50, 50, 50}));
    // Band 2 has nothing in common with band 1, so it stays empty.
    EXPECT_EQ(CurveOf(p, 2, kY), Curve{});
}

TEST(FinishProfileReplay, CoarserBandsAreHeldBelowFinerOnesInCascade) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    const int levels[3][3] = {{40, 10, 20}, {50, 15, 5}, {60, 30, 30}};
    for (int b = 0; b < 3; ++b)
        for (int k = 0; k < 11; ++k)
            for (int c = 0; c < 3; ++c) acc.Append(b, k, c, uint32_t(levels[b][c]));
    FinishProfile(acc, p, false);
    // Band 1: Y <= max((40 + 15) / 2, (40 + 5) / 2) = 27 with its own unheld Cr, Cb;
    // Cr = min(15, 10) = 10, Cb = min(5, 20) = 5.
    // Band 2 against the held band 1: Y <= max((27 + 30) / 2, (27 + 30) / 2) = 28; Cr 10, Cb 5.
    const int16_t held[3][3] = {{0, 0, 0}, {27, 10, 5}, {28, 10, 5}};
    for (int b = 1; b < 3; ++b)
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 11; ++k)
                EXPECT_EQ(p.bands[b].levels[k][c], held[b][c]) << b << " " << k << " " << c;
}

TEST(FinishProfileReplay, AHoldNeedsBothBandsMeasured) {
    ProfileAccumulator acc;
    NoiseProfile p = FreshProfile();
    acc.Append(1, 0, kY, 500);  // band 0 empty: nothing to hold band 1 against
    acc.Append(1, 0, kCr, 400);
    FinishProfile(acc, p, false);
    EXPECT_EQ(p.bands[1].levels[0][kY], 500);
    EXPECT_EQ(p.bands[1].levels[0][kCr], 400);
}

}  // namespace
}  // namespace stillpix
