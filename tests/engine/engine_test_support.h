// Shared by the engine tests: synthetic images in the document's layouts (8-bit bottom-up padded
// rows, 16-bit unpadded samples) with deterministic Gaussian noise, a tile grid that frees
// itself, and the parameter blocks and profiles the tests start from.
#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/engine.h"

namespace stillpix::test {

inline int Stride24(int width) { return (width * 3 + 3) / 4 * 4; }

// A smooth colour scene (gradients and a soft disc) in 0..1 per channel.
inline double Scene(int x, int y, int c, int width, int height) {
    const double u = double(x) / width, v = double(y) / height;
    const double disc = std::exp(-((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 12.0);
    return 0.15 + 0.5 * (c == 0 ? u : c == 1 ? v : 1.0 - u) * 0.6 + 0.3 * disc;
}

// 8-bit B, G, R rows padded to 4 bytes, noise of `sigma` (in 8-bit steps) added when sigma > 0.
inline std::vector<uint8_t> ColourImage8(int width, int height, double sigma, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma > 0 ? sigma : 1.0);
    const int stride = Stride24(width);
    std::vector<uint8_t> image(std::size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                double v = Scene(x, y, c, width, height) * 255.0 + (sigma > 0 ? noise(rng) : 0.0);
                image[std::size_t(y) * stride + x * 3 + c] =
                    uint8_t(std::lround(std::clamp(v, 0.0, 255.0)));
            }
    return image;
}

// The green channel of ColourImage8 as grey rows padded to 4 bytes.
inline std::vector<uint8_t> GreyImage8(int width, int height, double sigma, unsigned seed = 1) {
    const auto colour = ColourImage8(width, height, sigma, seed);
    const int stride = (width + 3) / 4 * 4;
    std::vector<uint8_t> grey(std::size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grey[std::size_t(y) * stride + x] =
                colour[std::size_t(y) * Stride24(width) + x * 3 + 1];
    return grey;
}

inline std::vector<uint16_t> ColourImage16(int width, int height, double sigma, unsigned seed = 1) {
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma > 0 ? sigma : 1.0);
    std::vector<uint16_t> image(std::size_t(width) * height * 3);
    for (std::size_t i = 0; i < image.size(); ++i) {
        const int pixel = int(i / 3);
        double v = Scene(pixel % width, pixel / width, int(i % 3), width, height) * 65535.0 +
                   (sigma > 0 ? noise(rng) : 0.0);
        image[i] = uint16_t(std::lround(std::clamp(v, 0.0, 65535.0)));
    }
    return image;
}

// A profile's channels, and one band and channel's curve over the 11 bins.
constexpr int kY = 0, kCr = 1, kCb = 2;
using Curve = std::array<int16_t, 11>;
inline Curve CurveOf(const NoiseProfile& p, int band, int channel) {
    Curve curve;
    for (int k = 0; k < 11; ++k) curve[k] = p.bands[band].levels[k][channel];
    return curve;
}

// Peak signal to noise ratio of two buffers of the same layout.
template <class T>
double Psnr(const std::vector<T>& a, const std::vector<T>& b, double peak) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (double(a[i]) - b[i]) * (double(a[i]) - b[i]);
    const double mse = sum / double(a.size());
    return mse == 0 ? 200.0 : 10.0 * std::log10(peak * peak / mse);
}

struct Grid {
    TileGrid grid;
    Grid(int w, int h) { CreateTileGrid(w, h, grid); }
    ~Grid() { FreeTileGrid(grid); }
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;
};

// The engine's thread count while in scope; the default (one per core) afterwards.
struct EngineThreadsScope {
    explicit EngineThreadsScope(int threads) { SetEngineThreads(threads); }
    ~EngineThreadsScope() { SetEngineThreads(0); }
    EngineThreadsScope(const EngineThreadsScope&) = delete;
    EngineThreadsScope& operator=(const EngineThreadsScope&) = delete;
};

// Every band and channel suppressed by `suppression` / 128.
inline NoiseFilterParams Params(int16_t suppression, uint32_t sharpening) {
    NoiseFilterParams params;
    for (auto& band : params.suppression)
        for (auto& v : band) v = suppression;
    params.sharpening = sharpening;
    return params;
}

inline NoiseProfile FreshProfile() {
    NoiseProfile p;
    ResetProfile(p, false);
    return p;
}

}  // namespace stillpix::test
