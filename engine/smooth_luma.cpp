// Luminance smoothing of one level: edge directions of the classed pixels, their majority, and a
// weighted mean along the direction that stops at the first large step.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

struct Offset {
    int dx, dy;
};
constexpr Offset kDirections[8] = {{1, 1}, {1, -1}, {1, 0}, {0, 1},
                                   {2, 1}, {2, -1}, {1, 2}, {1, -2}};

// Unit directions step s times; the half steps of directions 4..7 are shifted arithmetically.
constexpr Offset DirectionOffset(int d, int s) {
    if (d < 4) return {kDirections[d].dx * s, kDirections[d].dy * s};
    return {(kDirections[d].dx * s) >> 1, (kDirections[d].dy * s) >> 1};
}

template <class Sample>
void FindDirection(PyramidLevel<Sample>& level, int x, int y, int directionCount) {
    const int w = level.width;
    const int h = level.height;
    const Sample* res = level.P(kResY);
    uint8_t* dir = level.M(kDirectionMap);
    uint8_t* smoothed = level.M(kSmoothedDirectionMap);
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
    const uint8_t value = static_cast<uint8_t>(bestDirection + 1);
    const std::size_t p = std::size_t(y) * w + x;
    dir[p] = value;
    smoothed[p] = value;
    const Offset hstep = DirectionOffset(bestDirection, 1);
    for (int m : {1, -1, 2, -2}) {
        const int qx = x + m * hstep.dx;
        const int qy = y + m * hstep.dy;
        if (qx < 0 || qx >= w || qy < 0 || qy >= h) continue;
        const std::size_t q = std::size_t(qy) * w + qx;
        if (dir[q] == 0) {
            dir[q] = value;
            smoothed[q] = value;
        }
    }
}

template <class Sample>
void EstimateDirections(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int directionCount = level.degree == 2 ? 4 : 8;
    const uint8_t* cls = level.M(kLumaClassMap);
    const uint8_t* dir = level.M(kDirectionMap);
    for (int rowParity = 0; rowParity < 2; ++rowParity)
        for (int y = rowParity; y < h; y += 2)
            for (int colParity = 0; colParity < 2; ++colParity)
                for (int x = colParity; x < w; x += 2) {
                    const std::size_t p = std::size_t(y) * w + x;
                    if ((cls[p] & 7) != 0 && dir[p] == 0)
                        FindDirection(level, x, y, directionCount);
                }
}

template <class Sample>
void MajorityDirections(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int r = level.index == 0 ? 1 : 2;
    const int majority = ((2 * r + 1) * (2 * r + 1) + 1) / 2;
    const uint8_t* cls = level.M(kLumaClassMap);
    const uint8_t* dir = level.M(kDirectionMap);
    uint8_t* smoothed = level.M(kSmoothedDirectionMap);
    for (int y = r; y < h - r; ++y) {
        for (int x = r; x < w - r; ++x) {
            const std::size_t p = std::size_t(y) * w + x;
            if ((cls[p] & 7) == 0) continue;
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
            if (counts[dir[p]] < counts[winner]) smoothed[p] = static_cast<uint8_t>(winner);
        }
    }
}

template <class Sample>
int Radius(const PyramidLevel<Sample>& level, bool below) {
    if (!below) return 2;
    static constexpr int kRadius[2][3] = {{4, 2, 0}, {4, 3, 1}};
    return kRadius[level.index == 0 ? 0 : 1][std::clamp(level.degree, 0, 2)];
}

template <class Sample>
void DirectionalMean(PyramidLevel<Sample>& level, bool below) {
    using Wide = int64_t;
    const int w = level.width;
    const int h = level.height;
    const int k = Radius(level, below);
    const Sample* src = level.P(kSrcY);
    Sample* res = level.P(kResY);
    const uint8_t* cls = level.M(kLumaClassMap);
    const uint8_t* smoothed = level.M(kSmoothedDirectionMap);
    const int32_t* ty = level.Thresholds(kChannelY);
    const int32_t amount = level.suppression[kChannelY];
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t p = std::size_t(y) * w + x;
            if (below && (cls[p] & 7) == 0) continue;
            const int32_t yp = src[p];
            const int32_t t = ty[level.BinAt(x, y, yp)] >> 6;
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
                        const int qx = std::clamp(x + sense * o.dx, 0, w - 1);
                        const int qy = std::clamp(y + sense * o.dy, 0, h - 1);
                        const int32_t yq = src[std::size_t(qy) * w + qx];
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
            if (weights == 0) continue;
            Wide value = sum / weights;
            if (!below) value = yp + ((amount * (value - yp)) >> 7);
            res[p] = NarrowSample<Sample>(value);
        }
    }
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

}  // namespace

template <class Sample>
void SmoothLuma(PyramidLevel<Sample>& level, bool below) {
    if (below) {
        EstimateDirections(level);
        if (level.degree == 0) MajorityDirections(level);
    }
    DirectionalMean(level, below);
    if (below && level.index == 1 && level.parent != nullptr) HandDirectionsUp(level);
}

template void SmoothLuma(PyramidLevel<int16_t>&, bool);
template void SmoothLuma(PyramidLevel<int32_t>&, bool);

}  // namespace stillpix
