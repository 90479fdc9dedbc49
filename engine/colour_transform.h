// Per-pixel colour transforms between B, G, R samples and the Y, Cr, Cb plane values.
// 8-bit Y spans 0..21906, 16-bit Y 0..43983; chrominance is signed.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace stillpix {

struct Ycc {
    int32_t y, cr, cb;
};
struct Bgr {
    int32_t b, g, r;
};

// shift 6 for 8-bit samples, 13 for 16-bit ones; products fit 32 bits for 16-bit samples.
inline Ycc ForwardPixel(int32_t b, int32_t g, int32_t r, int shift) {
    return {(3226 * g + 1645 * r + 627 * b) >> shift, (2810 * r - 2355 * g - 454 * b) >> shift,
            (2810 * b - 1862 * g - 947 * r) >> shift};
}

// Rounds S / 100000 to the nearest integer in two truncating steps, clamped to 0..255.
inline int32_t InverseChannel8(int32_t s) {
    const int32_t t = s / 1000;
    int32_t v = t / 100;
    if (t - 100 * v > 50) ++v;
    return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// InverseChannel8 without divisions, for loops the compiler runs several pixels at a time. For
// S >= 0 the two truncating steps are floor((S + 49000) / 100000); for S < 0 they give 0 or less,
// clamped to 0. The sum is held below 256 x 100000, shifted right by 5 (exact inside a floor) and
// divided by 3125 in single precision, which keeps every integer part below 2^20 exact.
inline int32_t InverseChannel8Fast(int32_t s) {
    const int32_t a = std::min(std::max(s, 0) + 49000, 256 * 100000 - 1);
    return static_cast<int32_t>(static_cast<float>(a >> 5) / 3125.0f);
}

// Plane values of the 8-bit pipeline are i16, so the sums stay far inside 32 bits.
inline Bgr InversePixel8(int32_t y, int32_t cr, int32_t cb) {
    return {InverseChannel8(1164 * y + 2017 * cb), InverseChannel8(1164 * y - 813 * cr - 392 * cb),
            InverseChannel8(1164 * y + 1596 * cr)};
}

inline int32_t InverseChannel16(int64_t s) {
    const double v = std::trunc((double(s) / 100000.0) * 128.0);
    return v < 0.0 ? 0 : (v > 65535.0 ? 65535 : int32_t(v));
}

inline Bgr InversePixel16(int64_t y, int64_t cr, int64_t cb) {
    return {InverseChannel16(1164 * y + 2017 * cb),
            InverseChannel16(1164 * y - 813 * cr - 392 * cb),
            InverseChannel16(1164 * y + 1596 * cr)};
}

}  // namespace stillpix
