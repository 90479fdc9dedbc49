// Each fast stage against its plain twin, every map and plane byte for byte, on random and
// adversarial planes of both sample types, every level index and degree, colour and grey, tiny and
// odd sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <random>
#include <type_traits>
#include <vector>

#include "engine/colour_transform.h"
#include "engine/pyramid_level.h"

namespace stillpix {
namespace {

enum class Fill { kNoise, kSparseSpikes, kExtremes, kFlat, kSteps };

struct Case {
    const char* name;
    int width, height;
    Fill fill;
};

constexpr Case kCases[] = {{"one pixel", 1, 1, Fill::kNoise},
                           {"two by three", 2, 3, Fill::kNoise},
                           {"narrower than the reach", 5, 40, Fill::kNoise},
                           {"odd, noisy", 41, 37, Fill::kNoise},
                           {"wide, noisy", 97, 23, Fill::kNoise},
                           {"sparse spikes", 83, 71, Fill::kSparseSpikes},
                           {"extremes", 45, 39, Fill::kExtremes},
                           {"flat", 35, 33, Fill::kFlat},
                           {"steps and stripes", 66, 50, Fill::kSteps}};

template <class Sample>
Sample Generate(Fill fill, int x, int y, int plane, std::mt19937& rng) {
    // The 8-bit pipeline takes any i16; the 16-bit one its planes' own range.
    const bool narrow = sizeof(Sample) == 2;
    const int lo = narrow ? std::numeric_limits<int16_t>::min() : (plane == 0 ? 0 : -22472);
    const int hi = narrow ? std::numeric_limits<int16_t>::max() : (plane == 0 ? 43983 : 22479);
    switch (fill) {
        case Fill::kNoise: return Sample(std::uniform_int_distribution<int>(lo / 4, hi / 4)(rng));
        case Fill::kSparseSpikes:
            return Sample(rng() % 23 == 0 ? hi : (rng() % 29 == 0 ? lo : 100 + int(rng() % 50)));
        case Fill::kExtremes: return Sample(rng() % 2 ? lo : hi);
        case Fill::kFlat: return Sample(hi / 3);
        case Fill::kSteps: return Sample(((x / 7 + y / 5) % 3) * (hi / 3) + (x % 2) * 400);
    }
    return 0;
}

// Two identical levels (index, degree, colour mode) over one case's planes and random class maps,
// with random thresholds and suppression amounts (now and then far outside the usual range), and a
// child (its source Y picks the bins except at the last level, index 3; the merge reads it all).
template <class Sample>
struct Twins {
    using SampleType = Sample;
    FilterContext context{};
    PyramidLevel<Sample> child;
    PyramidLevel<Sample> level[2];

    Twins(const Case& c, int index, int degree, bool grey) {
        std::mt19937 rng(unsigned(c.width * 131 + c.height * 7 + index));
        for (int band : {index, index + 1})
            for (auto& channel : context.threshold[band])
                for (auto& t : channel) {
                    const unsigned pick =
                        rng() % 16;  // now and then none, a huge or a negative one
                    t = pick == 0   ? 0
                        : pick == 1 ? 1 << 30
                        : pick == 2 ? -int32_t(rng() % 5000)
                                    : std::uniform_int_distribution<int32_t>(0, 1 << 16)(rng);
                }
        constexpr int16_t kAmounts[] = {0, 89, 102, 128, 300, -200, -8064, 8321, -32768, 32767};
        child.width = (c.width + 1) / 2, child.height = (c.height + 1) / 2;
        child.index = index + 1, child.context = &context;
        child.AllocatePlanes(true);
        for (std::size_t i = 0; i < child.Pixels(); ++i)
            child.planes[kSrcY][i] = Sample(int(rng() % 30000) - 2000);
        for (int p = kSrcCr; p < kPlaneCount; ++p)
            for (std::size_t i = 0; i < child.Pixels(); ++i)
                child.planes[p][i] = Generate<Sample>(c.fill, int(i) % child.width,
                                                      int(i) / child.width, p % 3, rng);
        const int32_t amounts[3] = {kAmounts[rng() % 10], kAmounts[rng() % 10],
                                    kAmounts[rng() % 10]};
        for (auto& l : level) {
            l.width = c.width, l.height = c.height, l.index = index;
            l.grey = grey, l.degree = degree, l.context = &context;
            l.last = index == 3;
            l.child = l.last ? nullptr : &child;
            std::copy_n(amounts, 3, l.suppression);
            l.AllocatePlanes(true);
            l.AllocateMaps();
        }
        for (int p = 0; p < kPlaneCount; ++p)
            for (int y = 0; y < c.height; ++y)
                for (int x = 0; x < c.width; ++x) {
                    const Sample v = Generate<Sample>(c.fill, x, y, p % 3, rng);
                    for (auto& l : level) l.planes[p][y * c.width + x] = v;
                }
        // Classes as the classification leaves them, and now and then any byte.
        for (int m = kLumaClassMap; m < kMapCount; ++m)
            for (std::size_t i = 0; i < level[0].Pixels(); ++i) {
                const uint8_t v = uint8_t(rng() % 8 == 0 ? rng() : rng() % 5);
                for (auto& l : level) l.maps[m][i] = v;
            }
    }
    bool MapsEqual(Map m) const {
        return std::memcmp(level[0].maps[m], level[1].maps[m], level[0].Pixels()) == 0;
    }
    bool PlanesEqual(Plane p) const {
        return std::memcmp(level[0].planes[p], level[1].planes[p],
                           level[0].Pixels() * sizeof(Sample)) == 0;
    }
};

template <class Sample, class Check>
void ForEveryLevelOf(Check check) {
    for (const Case& c : kCases)
        for (int index = 0; index < 4; ++index)
            for (int degree = 0; degree < 3; ++degree)
                for (bool grey : {false, true}) {
                    SCOPED_TRACE(testing::Message()
                                 << c.name << (sizeof(Sample) == 2 ? ", i16" : ", i32")
                                 << ", level " << index << ", degree " << degree
                                 << (grey ? ", grey" : ", colour"));
                    Twins<Sample> twins(c, index, degree, grey);
                    check(twins);
                }
}

// Both sample types; `check` takes a Twins<Sample>&.
template <class Check>
void ForEveryLevel(Check check) {
    ForEveryLevelOf<int16_t>(check);
    ForEveryLevelOf<int32_t>(check);
}

TEST(FastStages, ClassifyLevelMatchesItsPlainTwin) {
    ForEveryLevel([](auto& t) {
        ClassifyLevel(t.level[0]);
        ClassifyLevelPlain(t.level[1]);
        for (int m = 0; m < kMapCount; ++m) EXPECT_TRUE(t.MapsEqual(Map(m))) << "map " << m;
    });
}

// The child merged into each twin in turn: the merge reads the child and writes only its parent.
TEST(FastStages, MergeChildLevelMatchesItsPlainTwin) {
    ForEveryLevel([](auto& t) {
        t.child.parent = &t.level[0];
        MergeChildLevel(t.child);
        t.child.parent = &t.level[1];
        MergeChildLevelPlain(t.child);
        for (int p = kResY; p <= kResCb; ++p) EXPECT_TRUE(t.PlanesEqual(Plane(p))) << "plane " << p;
    });
}

TEST(FastStages, DownsampleLevelMatchesItsPlainTwin) {
    ForEveryLevel([](auto& t) {
        using Sample = typename std::remove_reference_t<decltype(t)>::SampleType;
        for (bool withResults : {false, true}) {
            PyramidLevel<Sample> fast, plain;
            DownsampleLevel(t.level[0], fast, withResults);
            DownsampleLevelPlain(t.level[1], plain, withResults);
            const std::size_t bytes = fast.Pixels() * (withResults ? 6 : 3) * sizeof(Sample);
            EXPECT_EQ(std::memcmp(fast.planeStore.Data(), plain.planeStore.Data(), bytes), 0);
        }
    });
}

// Directions already set now and then (level 1 hands its own to level 0), and every third row
// nearly unclassed, so that both the whole-row and the pixel-by-pixel direction search run.
TEST(FastStages, SmoothLumaMatchesItsPlainTwin) {
    ForEveryLevel([](auto& t) {
        std::mt19937 rng(unsigned(t.level[0].Pixels()));
        const int w = t.level[0].width;
        for (std::size_t i = 0; i < t.level[0].Pixels(); ++i) {
            const uint8_t d = rng() % 4 == 0 ? uint8_t(1 + rng() % 8) : 0;
            const bool thin = (i / w) % 3 == 0 && rng() % 10 != 0;
            for (auto& l : t.level) {
                l.maps[kDirectionMap][i] = l.maps[kSmoothedDirectionMap][i] = d;
                if (thin) l.maps[kLumaClassMap][i] = 0;
            }
        }
        SmoothLuma(t.level[0], !t.level[0].last);
        SmoothLumaPlain(t.level[1], !t.level[1].last);
        EXPECT_TRUE(t.PlanesEqual(kResY));
        EXPECT_TRUE(t.MapsEqual(kDirectionMap));
        EXPECT_TRUE(t.MapsEqual(kSmoothedDirectionMap));
    });
}

// Every sample layout of the pipeline; the byte after B, G, R of a 4-sample layout stays as it was.
TEST(FastStages, InverseTransformMatchesItsPlainTwin) {
    ForEveryLevel([](auto& t) {
        using Sample = typename std::remove_reference_t<decltype(t)>::SampleType;
        const int sampleBytes = sizeof(Sample) == 2 ? 1 : 2;
        for (int samples : t.level[0].grey ? std::vector{1} : std::vector{3, 4}) {
            std::vector<uint8_t> buffers[2];
            for (int k = 0; k < 2; ++k) {
                buffers[k].assign(t.level[k].Pixels() * samples * sampleBytes, 0x5A);
                t.level[k].bytesPerPixel = samples * sampleBytes;
                t.level[k].tileBuffer = buffers[k].data();
            }
            InverseTransform(t.level[0]);
            InverseTransformPlain(t.level[1]);
            EXPECT_EQ(buffers[0], buffers[1]) << samples << " samples";
        }
    });
}

// Every sum up to where both clamp, then a sparse sweep of all that i16 planes can give.
TEST(FastStages, InverseChannelMatchesItsTwoStepRounding) {
    auto check = [](int32_t s) { return InverseChannel8Fast(s) == InverseChannel8(s); };
    for (int32_t s = -200000; s <= 25700000; ++s)
        if (!check(s)) FAIL() << "S = " << s;
    for (int32_t s = -110000000; s <= 110000000; s += 997)
        if (!check(s)) FAIL() << "S = " << s;
}

}  // namespace
}  // namespace stillpix
