// The inverse colour transform, fast schedule for the 8-bit pipeline: the same rounding as the
// plain loop (InverseTransformPlain, the bit-exact reference) without divisions, over blocks of
// pixels whose B, G, R values are worked out four at a time before they are interleaved into the
// tile buffer. The 16-bit pipeline keeps the plain loop.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/colour_transform.h"
#include "engine/lanes.h"
#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

constexpr int kPixelsPerBlock = 64;

// InverseChannel8Fast on four sums.
inline Lanes RoundLanes(Lanes s) {
    constexpr int32_t kHighest = 256 * 100000 - 1;
    Lanes a = Select(s < 0, Lanes{}, s) + 49000;
    a = Select(a > kHighest, Lanes{} + kHighest, a);
    const FloatLanes q = __builtin_convertvector(a >> 5, FloatLanes) / 3125.0f;
    return __builtin_convertvector(q, Lanes);
}

inline void StoreInts(int32_t* p, Lanes v) { std::memcpy(p, &v, sizeof v); }

void Inverse8(const PyramidLevel<int16_t>& level) {
    const int bpp = level.bytesPerPixel;
    const std::size_t n = level.Pixels();
    const int16_t* y = level.P(kResY);
    // Grey images were never filtered in chrominance: their source planes carry it back.
    const int16_t* cr = level.grey ? level.P(kSrcCr) : level.P(kResCr);
    const int16_t* cb = level.grey ? level.P(kSrcCb) : level.P(kResCb);
    int32_t b[kPixelsPerBlock], g[kPixelsPerBlock], r[kPixelsPerBlock];
    for (std::size_t start = 0; start < n; start += kPixelsPerBlock) {
        const int count = int(std::min<std::size_t>(kPixelsPerBlock, n - start));
        int i = 0;
        for (; i + kLanes <= count; i += kLanes) {
            const Lanes luma = 1164 * LoadLanes(y + start + i);
            const Lanes red = LoadLanes(cr + start + i), blue = LoadLanes(cb + start + i);
            StoreInts(b + i, RoundLanes(luma + 2017 * blue));
            StoreInts(g + i, RoundLanes(luma - 813 * red - 392 * blue));
            StoreInts(r + i, RoundLanes(luma + 1596 * red));
        }
        for (; i < count; ++i) {
            const int32_t luma = 1164 * int32_t{y[start + i]};
            const int32_t red = cr[start + i], blue = cb[start + i];
            b[i] = InverseChannel8Fast(luma + 2017 * blue);
            g[i] = InverseChannel8Fast(luma - 813 * red - 392 * blue);
            r[i] = InverseChannel8Fast(luma + 1596 * red);
        }
        uint8_t* p = level.tileBuffer + start * bpp;
        if (level.grey) {
            for (int i = 0; i < count; ++i, p += bpp) p[0] = uint8_t((r[i] + g[i] + b[i]) / 3);
        } else {
            for (int i = 0; i < count; ++i, p += bpp) {
                p[0] = uint8_t(b[i]);
                p[1] = uint8_t(g[i]);
                p[2] = uint8_t(r[i]);
            }
        }
    }
}

}  // namespace

template <class Sample>
void InverseTransform(const PyramidLevel<Sample>& level) {
    if constexpr (sizeof(Sample) == 2) Inverse8(level);
    else InverseTransformPlain(level);
}

template void InverseTransform(const PyramidLevel<int16_t>&);
template void InverseTransform(const PyramidLevel<int32_t>&);

}  // namespace stillpix
