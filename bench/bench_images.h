// Generated noisy photographs of about 24 megapixels (6000 x 4000), made once per process.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace stillpix::bench {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

// Smooth shading plus Gaussian noise of sigma 8 (8-bit steps), `channels` samples a pixel,
// rows padded to 4 bytes.
inline const std::vector<uint8_t>& NoisyImage8(int channels) {
    static std::vector<uint8_t> images[4];
    auto& image = images[channels];
    if (!image.empty()) return image;
    const int stride = (kWidth * channels + 3) / 4 * 4;
    image.assign(std::size_t(stride) * kHeight, 0);
    std::mt19937 rng(11);
    std::normal_distribution<float> noise(0.f, 8.f);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < channels; ++c) {
                const float v = 40.f + 160.f * float(x + c * 997) / (kWidth + 2000) +
                                30.f * ((y / 300) % 2) + noise(rng);
                image[std::size_t(y) * stride + x * channels + c] = uint8_t(v < 0     ? 0
                                                                            : v > 255 ? 255
                                                                                      : v);
            }
    return image;
}

inline const std::vector<uint16_t>& NoisyImage16() {
    static std::vector<uint16_t> image;
    if (!image.empty()) return image;
    const auto& eight = NoisyImage8(3);
    const int stride = (kWidth * 3 + 3) / 4 * 4;
    image.resize(std::size_t(kWidth) * kHeight * 3);
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> low(0, 255);
    for (int y = 0; y < kHeight; ++y)
        for (int i = 0; i < kWidth * 3; ++i)
            image[std::size_t(y) * kWidth * 3 + i] =
                uint16_t(eight[std::size_t(y) * stride + i] * 256 + low(rng));
    return image;
}

}  // namespace stillpix::bench
