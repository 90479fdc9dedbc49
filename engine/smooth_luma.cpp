// Luminance smoothing of one level, plain loops: edge directions of the classed pixels, their
// majority, and a weighted mean along the direction that stops at the first large step. The
// bit-exact reference of SmoothLuma (smooth_luma_fast.cpp).
#include "engine/smooth_luma_steps.h"

namespace stillpix {

namespace {

using namespace luma;

template <class Sample>
void EstimateDirections(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int directionCount = level.degree == 2 ? 4 : 8;
    const uint8_t* cls = level.M(kLumaClassMap);
    uint8_t* dir = level.M(kDirectionMap);
    uint8_t* smoothed = level.M(kSmoothedDirectionMap);
    for (int rowParity = 0; rowParity < 2; ++rowParity)
        for (int y = rowParity; y < h; y += 2)
            for (int colParity = 0; colParity < 2; ++colParity)
                for (int x = colParity; x < w; x += 2) {
                    const std::size_t p = std::size_t(y) * w + x;
                    if ((cls[p] & 7) != 0 && dir[p] == 0)
                        MarkDirection(dir, smoothed, w, h, x, y,
                                      BestDirection(level.P(kResY), w, h, x, y, directionCount));
                }
}

template <class Sample>
void MajorityDirections(PyramidLevel<Sample>& level) {
    const int w = level.width;
    const int h = level.height;
    const int r = level.index == 0 ? 1 : 2;
    const int majority = ((2 * r + 1) * (2 * r + 1) + 1) / 2;
    const uint8_t* cls = level.M(kLumaClassMap);
    for (int y = r; y < h - r; ++y)
        for (int x = r; x < w - r; ++x)
            if ((cls[std::size_t(y) * w + x] & 7) != 0)
                MajorityAt(level.M(kDirectionMap), level.M(kSmoothedDirectionMap), w, x, y, r,
                           majority);
}

template <class Sample>
void DirectionalMean(PyramidLevel<Sample>& level, bool below) {
    const int k = Radius(level, below);
    const uint8_t* cls = level.M(kLumaClassMap);
    for (int y = 0; y < level.height; ++y)
        for (int x = 0; x < level.width; ++x)
            if (!below || (cls[std::size_t(y) * level.width + x] & 7) != 0)
                MeanAt<false>(level, below, k, x, y);
}

}  // namespace

template <class Sample>
void SmoothLumaPlain(PyramidLevel<Sample>& level, bool below) {
    if (below) {
        EstimateDirections(level);
        if (level.degree == 0) MajorityDirections(level);
    }
    DirectionalMean(level, below);
    if (below && level.index == 1 && level.parent != nullptr) HandDirectionsUp(level);
}

template void SmoothLumaPlain(PyramidLevel<int16_t>&, bool);
template void SmoothLumaPlain(PyramidLevel<int32_t>&, bool);

}  // namespace stillpix
