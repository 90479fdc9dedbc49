// Sharpening of a level's luminance on edge pixels: the value is pushed away from a sparse
// local mean.
#include <algorithm>
#include <cstdint>

#include "engine/pyramid_level.h"

namespace stillpix {

int64_t SharpenStrength(int level, int32_t degree, uint32_t sharpening) {
    const int64_t d = level == 0 ? 1 : 2 * level;
    const int64_t k = (((10 - int64_t{degree}) * int64_t{sharpening} * 5 / (d * 10)) * 128) / 100;
    return k == 128 ? 127 : k;
}

template <class Sample>
void SharpenLevel(PyramidLevel<Sample>& level) {
    if (level.sharpening == 0 || level.index > 2) return;
    const int w = level.width;
    const int h = level.height;
    if (w < 5 || h < 5) return;
    const int64_t k = SharpenStrength(level.index, level.degree, level.sharpening);
    Sample* res = level.P(kResY);
    const uint8_t* cls = level.M(kLumaClassMap);
    for (int y = 2; y < h - 2; ++y) {
        for (int x = 2; x < w - 2; ++x) {
            const std::size_t p = std::size_t(y) * w + x;
            const int c = cls[p] & 7;
            if (c != 1 && c != 2) continue;
            int64_t sum = res[p];
            for (int j = -2; j <= 2; j += 2)
                for (int i = -2; i <= 2; i += 2) sum += res[std::size_t(y + j) * w + (x + i)];
            const int64_t mean = sum / 10;
            const int64_t numerator = std::max<int64_t>(128 * int64_t{res[p]} - k * mean, 0);
            const int64_t value = std::min<int64_t>(numerator / (128 - k), Pipeline<Sample>::kMaxY);
            res[p] = NarrowSample<Sample>(value);
        }
    }
}

template void SharpenLevel(PyramidLevel<int16_t>&);
template void SharpenLevel(PyramidLevel<int32_t>&);

}  // namespace stillpix
