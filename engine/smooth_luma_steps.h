// The per-pixel steps of luminance smoothing, shared by the plain loops (smooth_luma.cpp) and the
// fast ones (smooth_luma_fast.cpp), so both run the same arithmetic. Internal to the engine.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "engine/pyramid_level.h"

namespace stillpix::luma {

struct Offset {
    int dx, dy;
};
inline constexpr Offset kDirections[8] = {{1, 1}, {1, -1}, {1, 0}, {0, 1},
                                          {2, 1}, {2, -1}, {1, 2}, {1, -2}};

// Unit directions step s times; the half steps of directions 4..7 are shifted arithmetically.
constexpr Offset DirectionOffset(int d, int s) {
    if (d < 4) return {kDirections[d].dx * s, kDirections[d].dy * s};
    return {(kDirections[d].dx * s) >> 1, (kDirections[d].dy * s) >> 1};
}

// The direction of least squared steps through the pixel (the lower index on a tie); steps
// outside the level are left out, and a direction is dropped once it costs more than the best.
template <class Sample>
int BestDirection(const Sample* res, int w, int h, int x, int y, int directionCount) {
    const int32_t yp = res[std::size_t(y) * w + x];
    int64_t best = std::numeric_limits<int32_t>::max();
    int bestDirection = 0;
    for (int d = 0; d < directionCount; ++d) {
        int64_t cost = 0;
        bool dropped = false;
        for (int sense = 1; sense >= -1 && !dropped; sense -= 2) {
            for (int s = d < 4 ? 1 : 2; s <= 2; ++s) {
                const Offset o = DirectionOffset(d, s);
                const int qx = x + sense * o.dx;
                const int qy = y + sense * o.dy;
                if (qx < 0 || qx >= w || qy < 0 || qy >= h) continue;
                const int64_t diff = (int32_t(res[std::size_t(qy) * w + qx]) - yp) >> 6;
                cost += diff * diff;
                if (cost > best) {
                    dropped = true;
                    break;
                }
            }
        }
        if (!dropped && cost < best) {
            best = cost;
            bestDirection = d;
        }
    }
    return bestDirection;
}

// Direction d at the pixel, and along it one and two steps both ways wherever none is set yet.
inline void MarkDirection(uint8_t* dir, uint8_t* smoothed, int w, int h, int x, int y, int d) {
    const uint8_t value = static_cast<uint8_t>(d + 1);
    const std::size_t p = std::size_t(y) * w + x;
    dir[p] = value;
    smoothed[p] = value;
    const Offset step = DirectionOffset(d, 1);
    for (int m : {1, -1, 2, -2}) {
        const int qx = x + m * step.dx;
        const int qy = y + m * step.dy;
        if (qx < 0 || qx >= w || qy < 0 || qy >= h) continue;
        const std::size_t q = std::size_t(qy) * w + qx;
        if (dir[q] == 0) {
            dir[q] = value;
            smoothed[q] = value;
        }
    }
}

// The direction that leads the square of radius r in raster order (counting stops at the
// majority) replaces the pixel's own when that one was counted less often.
inline void MajorityAt(const uint8_t* dir, uint8_t* smoothed, int w, int x, int y, int r,
                       int majority) {
    int counts[9] = {};
    int winner = 0;
    bool reached = false;
    for (int j = -r; j <= r && !reached; ++j)
        for (int i = -r; i <= r; ++i) {
            const uint8_t v = dir[std::size_t(y + j) * w + (x + i)];
            if (v == 0) continue;
            if (++counts[v] > counts[winner]) winner = v;
            if (counts[v] >= majority) {
                reached = true;
                break;
            }
        }
    const std::size_t p = std::size_t(y) * w + x;
    if (counts[dir[p]] < counts[winner]) smoothed[p] = static_cast<uint8_t>(winner);
}

template <class Sample>
int Radius(const PyramidLevel<Sample>& level, bool below) {
    if (!below) return 2;
    static constexpr int kRadius[2][3] = {{4, 2, 0}, {4, 3, 1}};
    return kRadius[level.index == 0 ? 0 : 1][std::clamp(level.degree, 0, 2)];
}

// The weighted mean of one pixel along its direction (or the four unit ones), stopping after the
// first refused step. StepsInside: every step of radius k lies inside the level, so none is
// clamped.
template <bool StepsInside, class Sample>
void MeanAt(PyramidLevel<Sample>& level, bool below, int k, int x, int y) {
    using Wide = int64_t;
    const int w = level.width;
    const int h = level.height;
    const Sample* src = level.P(kSrcY);
    const std::size_t p = std::size_t(y) * w + x;
    const uint8_t* smoothed = level.M(kSmoothedDirectionMap);
    const int32_t yp = src[p];
    const int32_t t = level.Thresholds(kChannelY)[level.BinAt(x, y, yp)] >> 6;
    const int32_t t4 = level.index == 0 ? t >> 3 : t >> 2;
    const int32_t tStop = t4 >> 1;
    Wide sum = Wide{yp} * t;
    Wide weights = t;
    bool goOn = true;
    int firstDirection = 0, directionCount = 4;
    if (below && smoothed[p] != 0) {
        firstDirection = smoothed[p] - 1;
        directionCount = 1;
    }
    for (int s = 1; s <= k; ++s) {
        bool lastRefused = false;
        for (int sense = -1; sense <= 1; sense += 2) {
            for (int d = firstDirection; d < firstDirection + directionCount; ++d) {
                const Offset o = DirectionOffset(d, s);
                std::size_t q;
                if constexpr (StepsInside) {
                    q = p + std::ptrdiff_t(sense) * (std::ptrdiff_t(o.dy) * w + o.dx);
                } else {
                    const int qx = std::clamp(x + sense * o.dx, 0, w - 1);
                    const int qy = std::clamp(y + sense * o.dy, 0, h - 1);
                    q = std::size_t(qy) * w + qx;
                }
                const int32_t yq = src[q];
                const int32_t wq = t - (std::abs(yq - yp) >> 6);
                if (!goOn || wq < tStop) {
                    lastRefused = true;
                    continue;
                }
                lastRefused = false;
                if (wq < t4) goOn = false;
                if (wq > 0) {
                    sum += Wide{wq} * yq;
                    weights += wq;
                }
            }
        }
        if (lastRefused) break;
    }
    if (weights == 0) return;
    Wide value = sum / weights;
    if (!below) value = yp + ((level.suppression[kChannelY] * (value - yp)) >> 7);
    level.P(kResY)[p] = NarrowSample<Sample>(value);
}

// Level 1 hands its directions to the level-0 pixels that are classed at both levels.
template <class Sample>
void HandDirectionsUp(const PyramidLevel<Sample>& level1) {
    PyramidLevel<Sample>& level0 = *level1.parent;
    const int w0 = level0.width;
    const int w1 = level1.width;
    const uint8_t* cls0 = level0.M(kLumaClassMap);
    const uint8_t* cls1 = level1.M(kLumaClassMap);
    for (int y = 0; y < level0.height; ++y) {
        for (int x = 0; x < w0; ++x) {
            const std::size_t p0 = std::size_t(y) * w0 + x;
            const std::size_t p1 = std::size_t(y >> 1) * w1 + (x >> 1);
            if ((cls0[p0] & 7) == 0 || (cls1[p1] & 7) == 0) continue;
            level0.M(kDirectionMap)[p0] = level1.M(kDirectionMap)[p1];
            level0.M(kSmoothedDirectionMap)[p0] = level1.M(kSmoothedDirectionMap)[p1];
        }
    }
}

}  // namespace stillpix::luma
