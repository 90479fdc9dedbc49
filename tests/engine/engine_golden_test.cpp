// Golden outputs: the exact bytes (by hash) of whole-image filtering in every input layout under
// two parameter blocks, and of the measured profile, on a generated camera-noise photograph
// whose size crosses tile borders (2 x 2 tiles, the last column 101 and the last row 67 wide).
// The engine agreed exactly with an independent implementation when these were taken: any
// change of output, however small, is a regression.
#include <gtest/gtest.h>

#include <cinttypes>

#include "tests/engine/engine_test_support.h"
#include "tests/support/camera_photo.h"

namespace stillpix {
namespace {

using namespace test;

constexpr int kWidth = 701, kHeight = 667;

const Photo& GoldenPhoto() {
    static const Photo photo = CameraPhoto(kWidth, kHeight, 1.5);
    return photo;
}

// Automatic degree per band, partial suppression, light sharpening. On this photo the bands get
// degrees 0, 2, 1, 2 (the Y suppression of bands 1 and 2 is below 65 and 77).
NoiseFilterParams AutomaticParams() {
    NoiseFilterParams params = Params(0, 5);
    const int16_t luma[4] = {90, 60, 70, 90};
    for (int b = 0; b < 4; ++b) {
        params.suppression[b][0] = luma[b];
        params.suppression[b][1] = 100;
        params.suppression[b][2] = 112;
    }
    return params;
}

// The strongest degree everywhere, per-band noise-level changes, full suppression, more
// sharpening.
NoiseFilterParams StrongestParams() {
    NoiseFilterParams params = Params(128, 9);
    params.processingDegreeMode = 1;
    const int16_t adjustments[4][3] = {{0, 20, 26}, {-13, 38, 38}, {-26, 51, 45}, {-51, 64, 64}};
    for (int b = 0; b < 4; ++b)
        for (int c = 0; c < 3; ++c) params.noiseLevelAdjustment[b][c] = adjustments[b][c];
    params.suppression[0][0] = 115;
    return params;
}

std::string Hex(uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016" PRIX64, v);
    return text;
}

// The measured profile of an 8-bit layout, starting from `profile`.
NoiseProfile Measured(const std::vector<uint8_t>& image, int bitsPerPixel, NoiseProfile profile) {
    Grid g(kWidth, kHeight);
    EXPECT_TRUE(BuildImageProfile(g.grid, kWidth, kHeight, int(image.size() / kHeight),
                                  bitsPerPixel, image.data(), profile, nullptr, nullptr, nullptr));
    return profile;
}

// A profile whose Y, Cr and Cb counts sit just under the well-measured mark in bins 2..6 of
// every band: after a tile or two those bins stop being measured, so the outcome depends on the
// tiles' order.
NoiseProfile NearlyMeasured() {
    NoiseProfile profile = FreshProfile();
    for (int b = 0; b < kProfileBands; ++b)
        for (int k = 2; k <= 6; ++k)
            for (int c = 0; c < 3; ++c) {
                profile.bands[b].counts[k][c] = int16_t(1000 + 5 * k);
                profile.bands[b].levels[k][c] = int16_t(40 + 3 * k + c);
            }
    return profile;
}

struct ProfileCase {
    int bitsPerPixel;
    bool nearlyMeasured;
    uint64_t hash;  // of the encoded profile
};

std::string ProfileHash(const ProfileCase& c) {
    const auto image = PhotoBytes8(GoldenPhoto(), c.bitsPerPixel);
    const NoiseProfile profile =
        Measured(image, c.bitsPerPixel, c.nearlyMeasured ? NearlyMeasured() : FreshProfile());
    const auto bytes = EncodeNoiseProfile(profile);
    return Hex(Fnv1a(std::vector<uint8_t>(bytes.begin(), bytes.end())));
}

class GoldenProfile : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(GoldenProfile, MatchesItsHash) { EXPECT_EQ(ProfileHash(GetParam()), Hex(GetParam().hash)); }

INSTANTIATE_TEST_SUITE_P(Layouts, GoldenProfile,
                         ::testing::Values(ProfileCase{24, false, 0xBF148B1A46895179},
                                           ProfileCase{32, false, 0xBF148B1A46895179},
                                           ProfileCase{8, false, 0xB711D688DBF6F5B2},
                                           ProfileCase{24, true, 0x55889F302D1487BA}),
                         [](const auto& info) {
                             return "Bpp" + std::to_string(info.param.bitsPerPixel) +
                                    (info.param.nearlyMeasured ? "NearlyMeasured" : "Fresh");
                         });

struct FilterCase {
    int bitsPerPixel;
    bool strongest;
    uint64_t hash;  // of the filtered samples (8-bit layouts: the padded rows as well)
};

std::string FilterHash(const FilterCase& c) {
    const bool sixteen = c.bitsPerPixel == 48 || c.bitsPerPixel == 16;
    // Filtered with the smoothed profile measured on the 8-bit counterpart, as the worker does.
    const int bits8 = c.bitsPerPixel == 48 ? 24 : c.bitsPerPixel == 16 ? 8 : c.bitsPerPixel;
    const auto image8 = PhotoBytes8(GoldenPhoto(), bits8);
    NoiseProfile profile = Measured(image8, bits8, FreshProfile());
    SmoothProfile(profile);
    const NoiseFilterParams params = c.strongest ? StrongestParams() : AutomaticParams();
    const int stride8 = int(image8.size() / kHeight);

    Grid g(kWidth, kHeight);
    uint64_t hash = 0;
    if (sixteen) {
        const auto source = PhotoSamples16(GoldenPhoto(), c.bitsPerPixel == 16);
        std::vector<uint16_t> out(source.size(), 0);
        std::vector<uint8_t> display(image8.size(), 0);
        EXPECT_TRUE(FilterImage(kWidth, kHeight, stride8, nullptr, display.data(), source.data(),
                                out.data(), c.bitsPerPixel, g.grid, profile, &params, nullptr,
                                nullptr, nullptr));
        hash = Fnv1a(out);
    } else {
        std::vector<uint8_t> out(image8.size(), 0);
        EXPECT_TRUE(FilterImage(kWidth, kHeight, stride8, image8.data(), out.data(), nullptr,
                                nullptr, c.bitsPerPixel, g.grid, profile, &params, nullptr, nullptr,
                                nullptr));
        hash = Fnv1a(out);
    }
    return Hex(hash);
}

class GoldenFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(GoldenFilter, MatchesItsHash) { EXPECT_EQ(FilterHash(GetParam()), Hex(GetParam().hash)); }

INSTANTIATE_TEST_SUITE_P(Layouts, GoldenFilter,
                         ::testing::Values(FilterCase{24, false, 0x1564B4609ED0C9FA},
                                           FilterCase{24, true, 0x35E01C328DC1B984},
                                           FilterCase{32, false, 0xFFA1090372773593},
                                           FilterCase{32, true, 0x2A1BE4768422253D},
                                           FilterCase{8, false, 0x8CC0D8FDC9E5E489},
                                           FilterCase{8, true, 0xAF5FB5153EDD29A2},
                                           FilterCase{48, false, 0x8C947906996E7F37},
                                           FilterCase{48, true, 0xBACF087D767CC7B5},
                                           FilterCase{16, false, 0x5D9C18E1646E9657},
                                           FilterCase{16, true, 0x3CD074FCE0145909}),
                         [](const auto& info) {
                             return "Bpp" + std::to_string(info.param.bitsPerPixel) +
                                    (info.param.strongest ? "Strongest" : "Automatic");
                         });

// The cases above run on one thread per core; these run on every count from 1 to 4 (more threads
// than tiles included). Measuring onto a nearly measured profile checks that tiles merge in
// record order.
TEST(GoldenThreads, EveryThreadCountGivesTheGoldenBytes) {
    const ProfileCase profileCase{24, true, 0x55889F302D1487BA};
    const FilterCase filterCases[] = {{24, false, 0x1564B4609ED0C9FA},
                                      {16, true, 0x3CD074FCE0145909}};
    for (int threads = 1; threads <= 4; ++threads) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        const EngineThreadsScope scope(threads);
        EXPECT_EQ(ProfileHash(profileCase), Hex(profileCase.hash));
        for (const FilterCase& c : filterCases) EXPECT_EQ(FilterHash(c), Hex(c.hash));
    }
}

}  // namespace
}  // namespace stillpix
