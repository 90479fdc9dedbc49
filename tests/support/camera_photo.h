// A generated photograph with camera-like noise, in every layout the engine reads: a textured
// scene (sky gradient, a ridge line over grass-like texture, hard-edged discs, fine stripes, deep
// shadow and clipped highlights) with per-pixel noise that grows with the signal over a read-noise
// floor, plus low-frequency chroma blotches. Only integer hashing and correctly rounded double
// arithmetic, so the pixels are the same on every platform: golden outputs rest on them, so the
// generator must not change.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace stillpix::test {

struct Photo {
    int width = 0, height = 0;
    std::vector<uint16_t> bgr;  // 16-bit B, G, R samples, unpadded rows
};

namespace photo_detail {

inline uint64_t Mix(uint64_t z) {  // SplitMix64's finaliser
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
inline double Hash01(uint64_t a, uint64_t b, uint64_t salt) {
    return double(Mix(a * 0x9E3779B97F4A7C15ull ^ Mix(b + salt)) >> 11) * 0x1.0p-53;
}
// Value noise: hashed lattice values every `cell` pixels, bilinearly interpolated; 0..1.
inline double ValueNoise(int x, int y, int cell, uint64_t salt) {
    const int ix = x / cell, iy = y / cell;
    const double fx = double(x % cell) / cell, fy = double(y % cell) / cell;
    const double a = Hash01(ix, iy, salt), b = Hash01(ix + 1, iy, salt);
    const double c = Hash01(ix, iy + 1, salt), d = Hash01(ix + 1, iy + 1, salt);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}
// Roughly Gaussian, unit variance: a centred sum of four uniforms scaled by sqrt(3).
inline double Gaussian(uint64_t a, uint64_t b, uint64_t salt) {
    double s = 0;
    for (uint64_t k = 0; k < 4; ++k) s += Hash01(a, b, salt * 8 + k);
    return (s - 2.0) * 1.7320508075688772;
}

// Linear scene value of channel c (0 B, 1 G, 2 R) in 0..1 (above 1 clips).
inline double Landscape(int x, int y, int c, int w, int h) {
    const double u = double(x) / w, v = double(y) / h;
    const double tri = std::fabs(2.0 * (u * 3.0 - std::floor(u * 3.0)) - 1.0);  // 0..1 ridges
    const double ridge = 0.38 + 0.1 * tri;
    double value;
    if (v < ridge) {  // sky: smooth, bluer at the top
        static constexpr double kSky[3] = {0.75, 0.55, 0.35};
        value = kSky[c] * (0.6 + 0.5 * v) + 0.05 * u;
    } else {  // grass: textured, darker towards the bottom
        static constexpr double kGrass[3] = {0.08, 0.32, 0.18};
        const double texture = 0.6 * ValueNoise(x, y, 3, 11) + 0.4 * ValueNoise(x, y, 11, 12);
        value = kGrass[c] * (1.4 - v) * (0.6 + 0.8 * texture);
    }
    struct Disc {
        double cx, cy, r, bgr[3];
    };
    static constexpr Disc kDiscs[] = {{0.22, 0.3, 0.12, {0.1, 0.2, 0.85}},
                                      {0.7, 0.62, 0.16, {0.9, 0.85, 0.8}},
                                      {0.45, 0.8, 0.1, {0.02, 0.02, 0.03}},
                                      {0.88, 0.2, 0.07, {1.2, 1.15, 1.1}}};  // clipped highlight
    for (const Disc& d : kDiscs) {
        const double dx = (u - d.cx) * w, dy = (v - d.cy) * h, r = d.r * h;
        if (dx * dx + dy * dy < r * r) value = d.bgr[c] * (1.0 - 0.3 * (dy / r) * (dy / r));
    }
    if (u > 0.05 && u < 0.3 && v > 0.55 && v < 0.75)  // fine stripes, two periods
        value = (x / 2 + y / (u < 0.17 ? 9 : 2)) % 2 ? 0.7 : 0.25;
    const double bump = 0.25 / (1.0 + ((u - 0.5) * (u - 0.5) + (v - 0.15) * (v - 0.15)) * 60.0);
    return value + bump * (c == 2 ? 1.0 : 0.7);
}

}  // namespace photo_detail

// `noise` scales both noises; 1 is a mid-ISO camera (about 2.5 % of full scale in mid-grey).
inline Photo CameraPhoto(int width, int height, double noise = 1.0, uint64_t seed = 1) {
    using namespace photo_detail;
    Photo photo{width, height, std::vector<uint16_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint64_t at = uint64_t(y) * uint64_t(width) + uint64_t(x);
            // Chroma blotches: red and blue pushed apart over a few pixels.
            const double chroma = (ValueNoise(x, y, 4, seed * 31 + 7) - 0.5) * 0.05 * noise;
            for (int c = 0; c < 3; ++c) {
                const double s = std::fmin(Landscape(x, y, c, width, height), 1.0);
                const double sigma = std::sqrt(0.0008 * s + 0.00002) * noise;
                double v = s + sigma * Gaussian(at, uint64_t(c), seed) +
                           (c == 0   ? -chroma
                            : c == 2 ? chroma
                                     : 0.0);
                v = v < 0 ? 0 : (v > 1 ? 1 : v);
                photo.bgr[at * 3 + c] = uint16_t(v * 65535.0 + 0.5);
            }
        }
    return photo;
}

// The 8-bit layouts of the document's display bitmaps: 24 (B, G, R) and 8 (grey) with rows
// padded to 4 bytes, 32 (B, G, R, X with X varying, which filtering must carry through).
inline std::vector<uint8_t> PhotoBytes8(const Photo& photo, int bitsPerPixel) {
    const int channels = bitsPerPixel / 8;
    const std::size_t stride =
        bitsPerPixel == 32 ? std::size_t(photo.width) * 4 : (photo.width * channels + 3) / 4 * 4;
    std::vector<uint8_t> out(stride * photo.height, 0);
    for (int y = 0; y < photo.height; ++y)
        for (int x = 0; x < photo.width; ++x) {
            const uint16_t* s = &photo.bgr[(std::size_t(y) * photo.width + x) * 3];
            uint8_t* d = &out[stride * y + std::size_t(x) * channels];
            if (channels == 1) {
                d[0] = uint8_t((s[0] + 2 * s[1] + s[2]) / 4 >> 8);
                continue;
            }
            for (int c = 0; c < 3; ++c) d[c] = uint8_t(s[c] >> 8);
            if (channels == 4) d[3] = uint8_t(x * 7 + y);
        }
    return out;
}

// The 16-bit samples: B, G, R or grey, unpadded.
inline std::vector<uint16_t> PhotoSamples16(const Photo& photo, bool grey) {
    if (!grey) return photo.bgr;
    std::vector<uint16_t> out(std::size_t(photo.width) * photo.height);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const uint16_t* s = &photo.bgr[i * 3];
        out[i] = uint16_t((s[0] + 2 * s[1] + s[2]) / 4);
    }
    return out;
}

// 64-bit FNV-1a of a buffer: golden outputs are pinned by it.
template <class T>
uint64_t Fnv1a(const std::vector<T>& data) {
    uint64_t hash = 0xCBF29CE484222325ull;
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    for (std::size_t i = 0; i < data.size() * sizeof(T); ++i)
        hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}

}  // namespace stillpix::test
