// Single pyramid stages on tiny levels, against values worked out by hand.
#include <gtest/gtest.h>

#include "engine/pyramid_level.h"

namespace stillpix {
namespace {

template <class Sample>
struct Level {
    PyramidLevel<Sample> level;
    FilterContext context;
    Level(int w, int h, int index, bool last) {
        level.width = w, level.height = h, level.index = index, level.last = last;
        level.bytesPerPixel = 3;
        level.context = &context;
        level.AllocatePlanes(true);
        level.AllocateMaps();
        for (int p = 0; p < kPlaneCount; ++p) Fill(Plane(p), 0);
    }
    void Set(Plane plane, std::initializer_list<int> values) {
        int i = 0;
        for (int v : values) level.planes[plane][i++] = Sample(v);
    }
    void Fill(Plane plane, int value) {
        std::fill_n(level.planes[plane], level.Pixels(), Sample(value));
    }
    Sample At(Plane plane, int x, int y = 0) const {
        return level.planes[plane][y * level.width + x];
    }
    void Thresholds(int band, int channel, int32_t value) {
        for (auto& t : context.threshold[band][channel]) t = value;
    }
    void FullSuppression() {
        for (int c = 0; c < 3; ++c) level.suppression[c] = 128;
    }
};

TEST(Downsample, CornerAveragesFourHalvingDownIn8BitAndTruncatingIn16Bit) {
    auto run = [](auto&& parent, bool eightBit, int expectedCr) {
        parent.Set(kSrcY, {0, 0, 0, 0, 1, 2, 0, 3, 4});
        parent.Set(kSrcCr, {0, 0, 0, 0, -1, -2, 0, -3, -4});
        decltype(parent.level) child;
        DownsampleLevel(parent.level, child, eightBit);
        ASSERT_EQ(child.width, 2);
        ASSERT_EQ(child.height, 2);
        EXPECT_EQ(child.P(kSrcY)[3], 2);                 // 10 / 4 = 2.5 -> 2
        EXPECT_EQ(child.P(kSrcCr)[3], expectedCr);       // -2.5
        EXPECT_EQ(child.P(kSrcY)[0], 0);                 // 1 / 4
        EXPECT_EQ(child.P(kSrcY)[1], eightBit ? 1 : 0);  // (0 + 0 + 1 + 2) / 4 = 0.75
        EXPECT_EQ(child.P(kResY) != nullptr, eightBit);
        if (eightBit) {
            EXPECT_EQ(child.P(kResY)[3], 2);
        }
    };
    run(Level<int16_t>(3, 3, 0, false), true, -3);
    run(Level<int32_t>(3, 3, 0, false), false, -2);
}

// A 4 x 1 parent with a 2 x 1 child whose result planes hold `fu`.
struct Merge {
    Level<int16_t> parent;
    Level<int16_t> child;
    explicit Merge(int parentIndex)
        : parent(4, 1, parentIndex, false), child(2, 1, parentIndex + 1, true) {
        child.level.parent = &parent.level;
        child.level.context = &parent.context;
    }
};

TEST(MergeChildLevel, FullSuppressionInFlatAreasTakesTheUpsampledChild) {
    Merge m(0);
    m.parent.FullSuppression();
    m.child.Set(kResY, {10, -3});
    m.child.Set(kResCr, {-3, 0});
    m.parent.Fill(kResY, 50);
    MergeChildLevel(m.child.level);
    EXPECT_EQ(m.parent.At(kResY, 0), 10);
    EXPECT_EQ(m.parent.At(kResY, 1), 3);  // floor(7 / 2)
    EXPECT_EQ(m.parent.At(kResY, 2), -3);
    EXPECT_EQ(m.parent.At(kResY, 3), -3);   // the child's last column is repeated
    EXPECT_EQ(m.parent.At(kResCr, 1), -2);  // floor(-3 / 2), not truncation
}

TEST(MergeChildLevel, ZeroSuppressionKeepsTheParentsDetailOverTheLowerBand) {
    Merge m(0);
    m.parent.Fill(kSrcY, 5);
    m.child.Set(kResY, {8, 8});
    m.child.Set(kSrcY, {2, 2});
    MergeChildLevel(m.child.level);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(m.parent.At(kResY, x), 11);  // 5 + 8 - 2
}

TEST(MergeChildLevel, EdgeClassesReduceTheDifference) {
    Merge m(0);
    m.parent.FullSuppression();
    m.parent.Fill(kResY, 100);
    m.parent.Fill(kResCr, 40);
    m.child.Set(kResY, {20, 20});
    for (int x = 0; x < 4; ++x)
        m.parent.level.M(kLumaClassMap)[x] = m.parent.level.M(kCrClassMap)[x] = uint8_t(x);
    MergeChildLevel(m.child.level);
    // d = -80 (Y), -40 (Cr); class 1: d >> 3 and 0; class 2: d >> 1, d >> 2; class 3: d - d >> 2, d
    // >> 1.
    const int y[] = {20, 90, 60, 40}, cr[] = {0, 40, 30, 20};
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(m.parent.At(kResY, x), y[x]) << x;
        EXPECT_EQ(m.parent.At(kResCr, x), cr[x]) << x;
    }
}

TEST(MergeChildLevel, ChrominanceIsClampedByTheChildBandsThresholdFromLevelTwoOn) {
    for (int parentIndex : {0, 1}) {
        Merge m(parentIndex);
        m.parent.FullSuppression();
        m.parent.Thresholds(parentIndex + 1, kChannelCr, 5);
        m.child.Set(kResCr, {100, 100});
        MergeChildLevel(m.child.level);
        EXPECT_EQ(m.parent.At(kResCr, 0), parentIndex == 0 ? 100 : 5) << parentIndex;
    }
}

TEST(SharpenLevel, StrengthAndOneEdgePixel) {
    EXPECT_EQ(SharpenStrength(0, 0, 10), 64);
    EXPECT_EQ(SharpenStrength(0, 0, 20), 127);  // 128 would divide by zero
    EXPECT_EQ(SharpenStrength(0, 0, 5), 32);
    EXPECT_EQ(SharpenStrength(1, 1, 5), 14);  // 225 / 20 = 11, x 128 / 100
    EXPECT_EQ(SharpenStrength(2, 2, 20), 25);

    Level<int16_t> l(5, 5, 0, false);
    l.level.sharpening = 10;
    l.Fill(kResY, 500);
    l.level.planes[kResY][12] = 1000;
    l.level.M(kLumaClassMap)[12] = 1;
    SharpenLevel(l.level);
    EXPECT_EQ(l.At(kResY, 2, 2), 1400);  // M = 6000 / 10; (128000 - 64 x 600) / 64
    // The corners and edge middles of the 5 x 5 window.
    const int ring[] = {0, 2, 4, 10, 14, 20, 22, 24};
    l.level.planes[kResY][12] = 21000;
    for (int i : ring) l.level.planes[kResY][i] = 0;
    SharpenLevel(l.level);
    EXPECT_EQ(l.At(kResY, 2, 2), 21906);  // capped
    l.level.planes[kResY][12] = 0;
    for (int i : ring) l.level.planes[kResY][i] = 10000;
    SharpenLevel(l.level);
    EXPECT_EQ(l.At(kResY, 2, 2), 0);  // negative numerator taken as 0
}

TEST(SmoothLuma, LastLevelMeanWithHalfSuppression) {
    Level<int16_t> l(5, 1, 3, true);
    l.Set(kSrcY, {6000, 6080, 6400, 6400, 6400});
    l.Set(kResY, {6000, 6080, 6400, 6400, 6400});
    l.Thresholds(3, kChannelY, 100 << 6);  // T = 100, T4 = 25, Tstop = 12
    l.level.suppression[kChannelY] = 64;
    SmoothLuma(l.level, false);
    // Weights 1667 over radius 2 in the four unit directions: mean 6277, half of the way.
    EXPECT_EQ(l.At(kResY, 2), 6338);
    l.level.suppression[kChannelY] = 0;
    l.Set(kResY, {6000, 6080, 6400, 6400, 6400});
    SmoothLuma(l.level, false);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(l.At(kResY, x), l.At(kSrcY, x));
}

TEST(SmoothChroma, LastLevelMeanStopsAtNothingWithinTheThreshold) {
    Level<int16_t> l(5, 1, 3, true);
    l.Set(kSrcCr, {0, 640, 0, 0, 0});
    l.Thresholds(3, kChannelCr, 1000);
    l.Thresholds(3, kChannelCb, 1000);
    l.level.suppression[kChannelCr] = 128;
    SmoothChroma(l.level, false);
    EXPECT_EQ(l.At(kResCr, 2), 213);  // three clamped visits of 640 among nine: 1920 / 9
    l.level.grey = true;
    l.Fill(kResCr, 0);
    SmoothChroma(l.level, false);
    EXPECT_EQ(l.At(kResCr, 2), 0);  // grey images keep their chrominance
}

TEST(SmoothLuma, DegreeTwoAtLevelZeroLeavesClassedPixelsAlone) {
    Level<int16_t> l(6, 6, 0, false);
    Level<int16_t> child(3, 3, 1, false);
    l.level.child = &child.level;
    l.level.degree = 2;
    l.Thresholds(0, kChannelY, 50 << 6);
    for (std::size_t i = 0; i < 36; ++i) {
        l.level.planes[kSrcY][i] = int16_t(1000 + 37 * (i % 5));
        l.level.planes[kResY][i] = 7;
        l.level.M(kLumaClassMap)[i] = i % 2 ? 1 : 0;
    }
    SmoothLuma(l.level, true);
    for (std::size_t i = 0; i < 36; ++i)
        EXPECT_EQ(l.level.planes[kResY][i], i % 2 ? l.level.planes[kSrcY][i] : 7) << i;
}

TEST(ClassifyLevel, ASingleBrightPixelLeavesNoMarkAndAnEdgeIsRingedOnBothSides) {
    Level<int16_t> dot(20, 20, 0, true);
    dot.Fill(kResY, 5000);
    dot.level.planes[kResY][10 * 20 + 10] = 9000;
    dot.Thresholds(0, kChannelY, 640);
    ClassifyLevel(dot.level);
    for (std::size_t i = 0; i < 400; ++i) ASSERT_EQ(dot.level.M(kLumaClassMap)[i], 0) << i;

    Level<int16_t> edge(24, 24, 0, true);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) edge.level.planes[kResY][y * 24 + x] = x < 12 ? 4000 : 9000;
    edge.Thresholds(0, kChannelY, 640);
    ClassifyLevel(edge.level);
    const uint8_t* cls = edge.level.M(kLumaClassMap);
    for (int y = 8; y < 16; ++y) {
        EXPECT_TRUE(cls[y * 24 + 11] != 0 && cls[y * 24 + 12] != 0) << y;
        EXPECT_TRUE(cls[y * 24 + 2] == 0 && cls[y * 24 + 21] == 0) << y;
    }
}

}  // namespace
}  // namespace stillpix
