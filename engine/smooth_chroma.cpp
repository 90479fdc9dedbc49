// Chrominance smoothing of one level: a plain mean over the neighbours that stay within the
// channel's noise threshold, stopping at the first one that does not.
#include <algorithm>
#include <cstdlib>

#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

struct Offset {
    int dx, dy;
};
constexpr Offset kChromaDirections[4] = {{1, 1}, {1, -1}, {1, 0}, {0, 1}};

}  // namespace

template <class Sample>
void SmoothChroma(PyramidLevel<Sample>& level, bool below) {
    if (level.grey) return;
    const int w = level.width;
    const int h = level.height;
    const Sample* src[2] = {level.P(kSrcCr), level.P(kSrcCb)};
    Sample* res[2] = {level.P(kResCr), level.P(kResCb)};
    const uint8_t* cls[2] = {level.M(kCrClassMap), level.M(kCbClassMap)};
    const int32_t* thresholds[2] = {level.Thresholds(kChannelCr), level.Thresholds(kChannelCb)};
    const Sample* resY = level.P(kResY);
    const int maxRadius = level.index == 0 ? 2 : 1;

    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t p = std::size_t(y) * w + x;
            bool going[2] = {true, true};
            if (below) {
                going[0] = cls[0][p] != 0;
                going[1] = cls[1][p] != 0;
                if (!going[0] && !going[1]) continue;
            }
            const bool taking[2] = {going[0], going[1]};
            const int bin = level.BinAt(x, y, resY[p]);
            int32_t t[2], cp[2];
            int64_t sum[2];
            int32_t count[2] = {1, 1};
            for (int c = 0; c < 2; ++c) {
                t[c] = thresholds[c][bin];
                cp[c] = src[c][p];
                sum[c] = cp[c];
            }
            for (int r = 1; r <= maxRadius && (going[0] || going[1]); ++r) {
                for (int sense = -1; sense <= 1 && (going[0] || going[1]); sense += 2) {
                    for (int d = 0; d < 4 && (going[0] || going[1]); ++d) {
                        const int qx =
                            std::clamp(x + sense * r * kChromaDirections[d].dx, 0, w - 1);
                        const int qy =
                            std::clamp(y + sense * r * kChromaDirections[d].dy, 0, h - 1);
                        const std::size_t q = std::size_t(qy) * w + qx;
                        for (int c = 0; c < 2; ++c) {
                            if (!going[c]) continue;
                            const int32_t cq = src[c][q];
                            const int32_t wq = t[c] - (std::abs(cq - cp[c]) >> 6);
                            if (wq < (t[c] >> 3)) going[c] = false;
                            if (wq > 0) {
                                sum[c] += cq;
                                ++count[c];
                            } else {
                                going[c] = false;
                            }
                        }
                    }
                }
            }
            for (int c = 0; c < 2; ++c) {
                if (!taking[c] || count[c] == 1) continue;
                int64_t value = sum[c] / count[c];
                if (!below)
                    value = cp[c] + ((int64_t{level.suppression[1 + c]} * (value - cp[c])) >> 7);
                res[c][p] = NarrowSample<Sample>(value);
            }
        }
    }
}

template void SmoothChroma(PyramidLevel<int16_t>&, bool);
template void SmoothChroma(PyramidLevel<int32_t>&, bool);

}  // namespace stillpix
