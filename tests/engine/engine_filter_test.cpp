// Whole-image filtering: flat stays flat, zero suppression is the identity up to the colour
// round trip, noise goes down, and the 16-bit display copy is the flipped high bytes.
#include <gtest/gtest.h>

#include <vector>

#include "engine/colour_transform.h"
#include "engine/engine.h"
#include "tests/engine/test_images.h"

namespace stillpix {
namespace {

using namespace test;

NoiseFilterParams Params(int16_t suppression, uint32_t sharpening) {
    NoiseFilterParams params;
    for (auto& band : params.suppression)
        for (auto& v : band) v = suppression;
    params.sharpening = sharpening;
    return params;
}

std::vector<uint8_t> Filter8(const std::vector<uint8_t>& source, int w, int h, int bpp,
                             const NoiseFilterParams& params, NoiseProfile profile) {
    std::vector<uint8_t> out(source.size(), 0);
    TileGrid grid;
    CreateTileGrid(w, h, grid);
    EXPECT_TRUE(FilterImage(w, h, int(source.size() / h), source.data(), out.data(), nullptr, nullptr, bpp,
                            grid, profile, &params, nullptr, nullptr, nullptr));
    for (int i = 0; i < grid.count; ++i) EXPECT_EQ(grid.tiles[i].filtered, 1);
    FreeTileGrid(grid);
    return out;
}

TEST(FilterImage, FlatColourStaysFlat) {
    const int w = 650, h = 630;   // several tiles, odd remainders
    std::vector<uint8_t> source(std::size_t(Stride24(w)) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &source[std::size_t(y) * Stride24(w) + x * 3];
            p[0] = 200, p[1] = 150, p[2] = 100;
        }
    const auto out = Filter8(source, w, h, 24, Params(128, 10), FlatProfile(30));
    const Ycc c = ForwardPixel(200, 150, 100, 6);
    const Bgr expected = InversePixel8(c.y, c.cr, c.cb);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &out[std::size_t(y) * Stride24(w) + x * 3];
            ASSERT_EQ(p[0], expected.b);
            ASSERT_EQ(p[1], expected.g);
            ASSERT_EQ(p[2], expected.r);
        }
}

TEST(FilterImage, ZeroSuppressionWithoutSharpeningOnlyRoundTripsTheColours) {
    const int w = 320, h = 250;
    const auto source = ColourImage8(w, h, 12.0);
    const auto out = Filter8(source, w, h, 24, Params(0, 0), FlatProfile(40));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = &source[std::size_t(y) * Stride24(w) + x * 3];
            const Ycc c = ForwardPixel(s[0], s[1], s[2], 6);
            const Bgr e = InversePixel8(c.y, c.cr, c.cb);
            const uint8_t* o = &out[std::size_t(y) * Stride24(w) + x * 3];
            ASSERT_EQ(o[0], e.b) << x << "," << y;
            ASSERT_EQ(o[1], e.g);
            ASSERT_EQ(o[2], e.r);
        }
}

TEST(FilterImage, NoiseIsReducedInColourAndGrey) {
    const int w = 640, h = 480;
    for (double sigma : {5.0, 10.0, 20.0}) {
        const auto clean = ColourImage8(w, h, 0.0);
        const auto noisy = ColourImage8(w, h, sigma, 7);
        const auto out = Filter8(noisy, w, h, 24, Params(128, 5), FlatProfile(int16_t(3 * sigma)));
        EXPECT_GT(Psnr(clean, out, 255), Psnr(clean, noisy, 255) + 3.0) << sigma;
    }
    // Grey: the green channel alone, rows padded to 4.
    const int stride = (w + 3) / 4 * 4;
    const auto clean3 = ColourImage8(w, h, 0.0), noisy3 = ColourImage8(w, h, 10.0, 3);
    std::vector<uint8_t> clean(std::size_t(stride) * h, 0), noisy(clean.size(), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            clean[std::size_t(y) * stride + x] = clean3[std::size_t(y) * Stride24(w) + x * 3 + 1];
            noisy[std::size_t(y) * stride + x] = noisy3[std::size_t(y) * Stride24(w) + x * 3 + 1];
        }
    // Grey noise is all luminance: twice the level of independent colour noise.
    const auto out = Filter8(noisy, w, h, 8, Params(128, 5), FlatProfile(60));
    EXPECT_GT(Psnr(clean, out, 255), Psnr(clean, noisy, 255) + 3.0);
}

TEST(FilterImage, SixteenBitReducesNoiseAndWritesTheFlippedDisplayCopy) {
    const int w = 400, h = 300;
    const auto clean = ColourImage16(w, h, 0.0);
    const auto noisy = ColourImage16(w, h, 10.0 * 257, 5);
    std::vector<uint16_t> out(noisy.size(), 0);
    const int stride8 = Stride24(w);
    std::vector<uint8_t> display(std::size_t(stride8) * h, 0xEE);
    const NoiseFilterParams params = Params(128, 5);
    NoiseProfile profile = FlatProfile(30);
    TileGrid grid;
    CreateTileGrid(w, h, grid);
    ASSERT_TRUE(FilterImage(w, h, stride8, nullptr, display.data(), noisy.data(), out.data(), 48, grid, profile,
                            &params, nullptr, nullptr, nullptr));
    FreeTileGrid(grid);
    EXPECT_GT(Psnr(clean, out, 65535), Psnr(clean, noisy, 65535) + 3.0);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * 3; ++i)
            ASSERT_EQ(display[std::size_t(y) * stride8 + i], out[std::size_t(h - 1 - y) * w * 3 + i] >> 8);
}

}  // namespace
}  // namespace stillpix
