// Whole-image filtering: zero suppression is the identity up to the colour round trip, and
// filtering with the profile measured on the noisy image (smoothed as the worker does) comes closer
// to the clean image than the noisy one was.
#include <gtest/gtest.h>

#include <vector>

#include "engine/colour_transform.h"
#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

using namespace test;

std::vector<uint8_t> Filter8(const std::vector<uint8_t>& source, int w, int h, int bpp,
                             const NoiseFilterParams& params, NoiseProfile profile) {
    std::vector<uint8_t> out(source.size(), 0);
    Grid g(w, h);
    EXPECT_TRUE(FilterImage(w, h, int(source.size() / h), source.data(), out.data(), nullptr,
                            nullptr, bpp, g.grid, profile, &params, nullptr, nullptr, nullptr));
    for (int i = 0; i < g.grid.count; ++i) EXPECT_EQ(g.grid.tiles[i].filtered, 1);
    return out;
}

// Each pixel as the colour round trip alone gives it.
void ExpectRoundTrippedColours(const std::vector<uint8_t>& source, const std::vector<uint8_t>& out,
                               int w, int h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* s = &source[std::size_t(y) * Stride24(w) + x * 3];
            const Ycc c = ForwardPixel(s[0], s[1], s[2], 6);
            const Bgr e = InversePixel8(c.y, c.cr, c.cb);
            const uint8_t* o = &out[std::size_t(y) * Stride24(w) + x * 3];
            ASSERT_TRUE(o[0] == e.b && o[1] == e.g && o[2] == e.r) << x << "," << y;
        }
}

TEST(FilterImage, ZeroSuppressionWithoutSharpeningOnlyRoundTripsTheColours) {
    const int w = 320, h = 250;
    const auto source = ColourImage8(w, h, 12.0);
    ExpectRoundTrippedColours(source, Filter8(source, w, h, 24, Params(0, 0), FlatProfile(40)), w,
                              h);
}

// What the processing worker does: a fresh profile, measured on the 8-bit image, then smoothed.
NoiseProfile MeasuredProfile(const std::vector<uint8_t>& image8, int w, int h, int bpp) {
    NoiseProfile profile = FreshProfile();
    Grid g(w, h);
    EXPECT_TRUE(BuildImageProfile(g.grid, w, h, int(image8.size() / h), bpp, image8.data(), profile,
                                  nullptr, nullptr, nullptr));
    for (int i = 0; i < g.grid.count; ++i) EXPECT_EQ(g.grid.tiles[i].profiled, 1);
    SmoothProfile(profile);
    return profile;
}

TEST(FilterWithMeasuredProfile, LowersTheErrorOfEightBitColourAndGreyNoise) {
    const int w = 640, h = 480;
    const auto clean = ColourImage8(w, h, 0.0);
    for (double sigma : {5.0, 10.0, 20.0}) {
        const auto noisy = ColourImage8(w, h, sigma, 21);
        const auto out = Filter8(noisy, w, h, 24, Params(128, 0), MeasuredProfile(noisy, w, h, 24));
        const double before = Psnr(clean, noisy, 255), after = Psnr(clean, out, 255);
        EXPECT_GT(after, before + 6.0)
            << "sigma " << sigma << ": " << before << " -> " << after << " dB";
    }
    const auto cleanGrey = GreyImage8(w, h, 0.0), noisyGrey = GreyImage8(w, h, 10.0, 17);
    const auto out =
        Filter8(noisyGrey, w, h, 8, Params(128, 0), MeasuredProfile(noisyGrey, w, h, 8));
    EXPECT_GT(Psnr(cleanGrey, out, 255), Psnr(cleanGrey, noisyGrey, 255) + 6.0);
}

TEST(FilterWithMeasuredProfile, SixteenBitMeasuredOnItsViewAndWritesTheFlippedDisplayCopy) {
    const int w = 640, h = 480, stride8 = Stride24(w);
    const auto clean = ColourImage16(w, h, 0.0);
    const auto noisy = ColourImage16(w, h, 10.0 * 257, 13);
    // The document's 8-bit view of a 16-bit image: high bytes, bottom-up, rows padded to 4.
    std::vector<uint8_t> view(std::size_t(stride8) * h, 0);
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < 3 * w; ++i)
            view[std::size_t(y) * stride8 + i] =
                uint8_t(noisy[std::size_t(h - 1 - y) * 3 * w + i] >> 8);
    NoiseProfile profile = MeasuredProfile(view, w, h, 24);

    const NoiseFilterParams params = Params(128, 5);
    std::vector<uint16_t> out(noisy.size(), 0);
    std::vector<uint8_t> display(view.size(), 0xEE);
    Grid g(w, h);
    ASSERT_TRUE(FilterImage(w, h, stride8, nullptr, display.data(), noisy.data(), out.data(), 48,
                            g.grid, profile, &params, nullptr, nullptr, nullptr));
    const double before = Psnr(clean, noisy, 65535), after = Psnr(clean, out, 65535);
    EXPECT_GT(after, before + 6.0) << before << " -> " << after << " dB";
    for (int y = 0; y < h; ++y)
        for (int i = 0; i < w * 3; ++i)
            ASSERT_EQ(display[std::size_t(y) * stride8 + i],
                      out[std::size_t(h - 1 - y) * w * 3 + i] >> 8);
}

}  // namespace
}  // namespace stillpix
