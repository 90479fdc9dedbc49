// Merging a processed child level back into its parent under the edge classes, the noise
// thresholds and the band's suppression amounts. The plain loops: the bit-exact reference of
// MergeChildLevel (merge_bands_fast.cpp), kept simple to read and to check.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

// The difference to the processed lower band that a pixel of class `cls` takes.
inline int32_t ReduceLuma(int32_t d, int cls, bool deepest) {
    switch (cls) {
        case 0: return d;
        case 1: return d >> 3;
        case 2: return deepest ? d >> 2 : d >> 1;
        case 3: return deepest ? d >> 1 : d - (d >> 2);
        default: return d;
    }
}

inline int32_t ReduceChroma(int32_t d, int cls, bool deepest) {
    switch (cls) {
        case 0: return d;
        case 1: return 0;
        case 2: return deepest ? d >> 3 : d >> 2;
        case 3: return deepest ? d >> 2 : d >> 1;
        default: return deepest ? d >> 1 : d - (d >> 2);
    }
}

// Row y of the parent's view of a child plane: columns interpolated, and for odd rows the
// floor mean with the next child row where there is one.
template <class Sample>
void UpsampleRow(const Sample* plane, int y, int childWidth, int childHeight, int width,
                 int32_t* out) {
    const int i = y >> 1;
    const Sample* row = plane + std::size_t(i) * childWidth;
    const bool twoRows = (y & 1) != 0 && i + 1 < childHeight;
    const Sample* next = twoRows ? row + childWidth : row;
    for (int x = 0; x < width; ++x) {
        const int j = x >> 1;
        int32_t top = row[j], bottom = next[j];
        if ((x & 1) != 0 && j != childWidth - 1) {
            top = (top + int32_t(row[j + 1])) >> 1;
            bottom = (bottom + int32_t(next[j + 1])) >> 1;
        }
        out[x] = twoRows ? (top + bottom) >> 1 : top;
    }
}

}  // namespace

template <class Sample>
void MergeChildLevelPlain(PyramidLevel<Sample>& child) {
    PyramidLevel<Sample>& parent = *child.parent;
    const int c = child.index;
    const bool deepest = c >= 3;
    const bool clampChroma = c >= 2;
    const int w = parent.width;
    const int cw = child.width;
    const int ch = child.height;
    const FilterContext& context = *parent.context;
    const uint8_t* yClass = parent.M(kLumaClassMap);
    const uint8_t* cClass[2] = {parent.M(kCrClassMap), parent.M(kCbClassMap)};

    std::vector<int32_t> rows(std::size_t(w) * 6);
    int32_t* up[6];
    for (int k = 0; k < 6; ++k) up[k] = rows.data() + std::size_t(w) * k;
    for (int y = 0; y < parent.height; ++y) {
        for (int k = 0; k < 3; ++k) {
            UpsampleRow(child.P(Plane(kResY + k)), y, cw, ch, w, up[k]);
            UpsampleRow(child.P(Plane(kSrcY + k)), y, cw, ch, w, up[3 + k]);
        }
        for (int x = 0; x < w; ++x) {
            const std::size_t p = std::size_t(y) * w + x;
            int32_t fu[3], su[3], f[3], s[3], d[3];
            for (int k = 0; k < 3; ++k) {
                fu[k] = up[k][x];
                su[k] = up[3 + k][x];
                f[k] = parent.P(Plane(kResY + k))[p];
                s[k] = parent.P(Plane(kSrcY + k))[p];
                d[k] = fu[k] - f[k];
            }
            const int cy = yClass[p] & 7;
            int cc[2] = {cClass[0][p], cClass[1][p]};
            if (deepest && cy != 0) {
                cc[0] = std::min(cc[0], cy);
                cc[1] = std::min(cc[1], cy);
            }
            d[0] = ReduceLuma(d[0], cy, deepest);
            d[1] = ReduceChroma(d[1], cc[0], deepest);
            d[2] = ReduceChroma(d[2], cc[1], deepest);
            if (clampChroma) {
                const int bin = PyramidLevel<Sample>::Bin(f[0]);
                for (int k = 1; k < 3; ++k) {
                    const int32_t limit = context.Threshold(c, k, bin);
                    // Spelled out: std::clamp leaves a negative limit undefined.
                    d[k] = std::min(std::max(d[k], -limit), limit);
                }
            }
            for (int k = 0; k < 3; ++k) {
                const int64_t base = int64_t{f[k]} + d[k];
                const int64_t detail = int64_t{s[k]} + fu[k] - su[k];
                const int64_t value =
                    base + (((detail - base) * (128 - parent.suppression[k])) >> 7);
                parent.P(Plane(kResY + k))[p] = NarrowSample<Sample>(value);
            }
        }
    }
}

template void MergeChildLevelPlain(PyramidLevel<int16_t>&);
template void MergeChildLevelPlain(PyramidLevel<int32_t>&);

}  // namespace stillpix
