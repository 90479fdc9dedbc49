// Forward and inverse colour transforms between a tile buffer (B, G, R[, X] or grey samples,
// 8 or 16 bits) and level 0's Y, Cr, Cb planes. The inverse here is the plain loop, the bit-exact
// reference of InverseTransform (inverse_transform_fast.cpp).
#include <algorithm>
#include <cstdint>

#include "engine/colour_transform.h"
#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

inline uint32_t ReadSample(const uint8_t* p, int sampleBytes) {
    return sampleBytes == 1 ? p[0] : uint32_t(p[0]) | (uint32_t(p[1]) << 8);
}

inline void WriteSample(uint8_t* p, int sampleBytes, int32_t v) {
    p[0] = static_cast<uint8_t>(v);
    if (sampleBytes == 2) p[1] = static_cast<uint8_t>(v >> 8);
}

// 8-bit tile buffers get their own loop: this runs once per pixel of every tile.
void Forward8(PyramidLevel<int16_t>& level) {
    const int bpp = level.bytesPerPixel;
    const std::size_t n = level.Pixels();
    const uint8_t* p = level.tileBuffer;
    int16_t* sy = level.P(kSrcY);
    int16_t* scr = level.P(kSrcCr);
    int16_t* scb = level.P(kSrcCb);
    for (std::size_t i = 0; i < n; ++i, p += bpp) {
        const int32_t b = p[0];
        const int32_t g = bpp == 1 ? b : p[1];
        const int32_t r = bpp == 1 ? b : p[2];
        const Ycc c = ForwardPixel(b, g, r, 6);
        sy[i] = NarrowSample<int16_t>(c.y);
        scr[i] = NarrowSample<int16_t>(c.cr);
        scb[i] = NarrowSample<int16_t>(c.cb);
    }
}

void Forward16(PyramidLevel<int32_t>& level) {
    const int bpp = level.bytesPerPixel;
    const std::size_t n = level.Pixels();
    const uint8_t* p = level.tileBuffer;
    for (std::size_t i = 0; i < n; ++i, p += bpp) {
        const int32_t b = int32_t(ReadSample(p, 2));
        const int32_t g = bpp == 2 ? b : int32_t(ReadSample(p + 2, 2));
        const int32_t r = bpp == 2 ? b : int32_t(ReadSample(p + 4, 2));
        const Ycc c = ForwardPixel(b, g, r, 13);
        level.P(kSrcY)[i] = c.y;
        level.P(kSrcCr)[i] = c.cr;
        level.P(kSrcCb)[i] = c.cb;
    }
}

}  // namespace

template <class Sample>
void ForwardTransform(PyramidLevel<Sample>& level) {
    if constexpr (sizeof(Sample) == 2) Forward8(level);
    else Forward16(level);
    if (level.P(kResY) == nullptr) return;  // profiling keeps source planes only
    for (int c = 0; c < 3; ++c)
        std::copy_n(level.P(Plane(kSrcY + c)), level.Pixels(), level.P(Plane(kResY + c)));
}

template <class Sample>
void InverseTransformPlain(const PyramidLevel<Sample>& level) {
    constexpr int kSampleBytes = sizeof(Sample) == 2 ? 1 : 2;
    const int bpp = level.bytesPerPixel;
    const std::size_t n = level.Pixels();
    const Sample* y = level.P(kResY);
    // Grey images were never filtered in chrominance: their source planes carry it back.
    const Sample* cr = level.grey ? level.P(kSrcCr) : level.P(kResCr);
    const Sample* cb = level.grey ? level.P(kSrcCb) : level.P(kResCb);
    uint8_t* p = level.tileBuffer;
    for (std::size_t i = 0; i < n; ++i, p += bpp) {
        const Bgr out = kSampleBytes == 1 ? InversePixel8(y[i], cr[i], cb[i])
                                          : InversePixel16(y[i], cr[i], cb[i]);
        if (level.grey) {
            WriteSample(p, kSampleBytes, (out.r + out.g + out.b) / 3);
        } else {
            WriteSample(p, kSampleBytes, out.b);
            WriteSample(p + kSampleBytes, kSampleBytes, out.g);
            WriteSample(p + 2 * kSampleBytes, kSampleBytes, out.r);
        }
    }
}

template void ForwardTransform(PyramidLevel<int16_t>&);
template void ForwardTransform(PyramidLevel<int32_t>&);
template void InverseTransformPlain(const PyramidLevel<int16_t>&);
template void InverseTransformPlain(const PyramidLevel<int32_t>&);

}  // namespace stillpix
