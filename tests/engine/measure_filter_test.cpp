// The whole road of a profile: measure the noisy image, smooth the curves as the worker does,
// filter with them, and come closer to the clean image than the noisy one was.
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/engine/test_images.h"

namespace stillpix {
namespace {

using namespace test;

NoiseFilterParams FullSuppression() {
    NoiseFilterParams params;
    for (auto& band : params.suppression)
        for (auto& v : band) v = 128;
    return params;
}

// What the processing worker does: a fresh profile, measured on the 8-bit image, then smoothed.
NoiseProfile MeasuredProfile(const std::vector<uint8_t>& image8, int w, int h, int stride, int bpp) {
    NoiseProfile profile;
    ResetProfile(profile, false);
    TileGrid grid;
    CreateTileGrid(w, h, grid);
    EXPECT_TRUE(BuildImageProfile(grid, w, h, stride, bpp, image8.data(), profile, nullptr, nullptr, nullptr));
    for (int i = 0; i < grid.count; ++i) EXPECT_EQ(grid.tiles[i].profiled, 1);
    FreeTileGrid(grid);
    SmoothProfile(profile);
    return profile;
}

TEST(FilterWithMeasuredProfile, LowersTheErrorOfEightBitColourNoise) {
    const int w = 640, h = 480, stride = Stride24(w);
    const auto clean = ColourImage8(w, h, 0.0);
    const NoiseFilterParams params = FullSuppression();
    for (double sigma : {5.0, 10.0, 20.0}) {
        const auto noisy = ColourImage8(w, h, sigma, 21);
        NoiseProfile profile = MeasuredProfile(noisy, w, h, stride, 24);
        std::vector<uint8_t> out(noisy.size(), 0);
        TileGrid grid;
        CreateTileGrid(w, h, grid);
        ASSERT_TRUE(FilterImage(w, h, stride, noisy.data(), out.data(), nullptr, nullptr, 24, grid, profile,
                                &params, nullptr, nullptr, nullptr));
        FreeTileGrid(grid);
        const double before = Psnr(clean, noisy, 255), after = Psnr(clean, out, 255);
        EXPECT_GT(after, before + 6.0) << "sigma " << sigma << ": " << before << " -> " << after << " dB";
    }
}

TEST(FilterWithMeasuredProfile, LowersTheErrorOfSixteenBitNoiseMeasuredOnItsEightBitView) {
    const int w = 640, h = 480, stride8 = Stride24(w);
    const auto clean = ColourImage16(w, h, 0.0);
    const auto noisy = ColourImage16(w, h, 10.0 * 257, 13);
    // The document's 8-bit view of a 16-bit image: high bytes, bottom-up, rows padded to 4.
    std::vector<uint8_t> view(std::size_t(stride8) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < 3 * w; ++i)
            view[std::size_t(y) * stride8 + i] = uint8_t(noisy[std::size_t(h - 1 - y) * 3 * w + i] >> 8);
    NoiseProfile profile = MeasuredProfile(view, w, h, stride8, 24);

    const NoiseFilterParams params = FullSuppression();
    std::vector<uint16_t> out(noisy.size(), 0);
    std::vector<uint8_t> display(view.size(), 0);
    TileGrid grid;
    CreateTileGrid(w, h, grid);
    ASSERT_TRUE(FilterImage(w, h, stride8, nullptr, display.data(), noisy.data(), out.data(), 48, grid, profile,
                            &params, nullptr, nullptr, nullptr));
    FreeTileGrid(grid);
    const double before = Psnr(clean, noisy, 65535), after = Psnr(clean, out, 65535);
    EXPECT_GT(after, before + 6.0) << before << " -> " << after << " dB";
}

TEST(FilterWithMeasuredProfile, LowersTheErrorOfGreyNoise) {
    const int w = 640, h = 480, stride = (w + 3) / 4 * 4;
    const auto clean3 = ColourImage8(w, h, 0.0), noisy3 = ColourImage8(w, h, 10.0, 17);
    std::vector<uint8_t> clean(std::size_t(stride) * h, 0), noisy(clean.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            clean[std::size_t(y) * stride + x] = clean3[std::size_t(y) * Stride24(w) + 3 * x + 1];
            noisy[std::size_t(y) * stride + x] = noisy3[std::size_t(y) * Stride24(w) + 3 * x + 1];
        }
    NoiseProfile profile = MeasuredProfile(noisy, w, h, stride, 8);
    const NoiseFilterParams params = FullSuppression();
    std::vector<uint8_t> out(noisy.size(), 0);
    TileGrid grid;
    CreateTileGrid(w, h, grid);
    ASSERT_TRUE(FilterImage(w, h, stride, noisy.data(), out.data(), nullptr, nullptr, 8, grid, profile, &params,
                            nullptr, nullptr, nullptr));
    FreeTileGrid(grid);
    EXPECT_GT(Psnr(clean, out, 255), Psnr(clean, noisy, 255) + 6.0);
}

}  // namespace
}  // namespace stillpix
