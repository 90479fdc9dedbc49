// Merging a processed child level into its parent, fast schedule. The same arithmetic as the plain
// loops (MergeChildLevelPlain, the bit-exact reference), arranged differently: each child row is
// upsampled across once and shared by the parent rows that read it, the class reductions are
// selects instead of branches, and the 8-bit pipeline runs four pixels at a time in 32-bit lanes.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/lanes.h"
#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

// The difference to the processed lower band that a pixel of luma class `cls` (0..7) takes.
template <bool Deepest, class V>
inline V ReduceLumaDifference(V d, V cls) {
    const V two = Deepest ? d >> 2 : d >> 1;
    const V three = Deepest ? d >> 1 : d - (d >> 2);
    return Select(cls == 1, d >> 3, Select(cls == 2, two, Select(cls == 3, three, d)));
}

template <bool Deepest, class V>
inline V ReduceChromaDifference(V d, V cls) {
    const V two = Deepest ? d >> 3 : d >> 2;
    const V three = Deepest ? d >> 2 : d >> 1;
    const V above = Deepest ? d >> 1 : d - (d >> 2);
    return Select(cls == 0, d,
                  Select(cls == 1, V{}, Select(cls == 2, two, Select(cls == 3, three, above))));
}

// Held within plus or minus `limit`, as min(max(d, -limit), limit) even for a negative limit.
template <class V>
inline V ClampTo(V d, V limit) {
    const V lo = -limit;
    const V raised = Select(d < lo, lo, d);
    return Select(limit < raised, limit, raised);
}

// The band's detail laid over the processed lower bands, `keep` = 128 - suppression.
template <class V>
inline V Blend(V f, V s, V fu, V su, V d, V keep) {
    const V base = f + d;
    const V detail = s + fu - su;
    return base + (((detail - base) * keep) >> 7);
}

template <class Sample, class V>
inline V SaturateToSample(V v) {
    const V lo = V{} + std::numeric_limits<Sample>::min();
    const V hi = V{} + std::numeric_limits<Sample>::max();
    return Select(v < lo, lo, Select(v > hi, hi, v));
}

// One parent row's inputs: its planes and classes, the child's planes upsampled across for the
// child row above (and below, on odd rows), and per-pixel chroma limits where they apply.
template <class Sample>
struct MergeRow {
    Sample* f[3];        // result planes, read and written
    const Sample* s[3];  // source planes
    const uint8_t* cy;
    const uint8_t* cc[2];
    const Sample* fuTop[3];
    const Sample* fuBottom[3];
    const Sample* suTop[3];
    const Sample* suBottom[3];
    const int32_t* limit[2];
    int32_t keep[3];
};

// A pixel's merge in lanes of V, its inputs read through Load(pointer) and its results written
// through Store(pointer, value).
template <class Sample, bool Deepest, bool Clamp, bool TwoRows, class V, class Load, class Store>
inline void MergePixels(const MergeRow<Sample>& row, int x, Load load, Store store) {
    const V cy = load(row.cy + x) & 7;
    V cc[2] = {load(row.cc[0] + x), load(row.cc[1] + x)};
    if constexpr (Deepest)
        for (V& c : cc) c = Select(cy != 0, Select(c > cy, cy, c), c);
    for (int k = 0; k < 3; ++k) {
        V fu = load(row.fuTop[k] + x);
        V su = load(row.suTop[k] + x);
        if constexpr (TwoRows) {
            fu = (fu + load(row.fuBottom[k] + x)) >> 1;
            su = (su + load(row.suBottom[k] + x)) >> 1;
        }
        const V f = load(row.f[k] + x);
        V d = fu - f;
        if (k == 0) {
            d = ReduceLumaDifference<Deepest>(d, cy);
        } else {
            d = ReduceChromaDifference<Deepest>(d, cc[k - 1]);
            if constexpr (Clamp) d = ClampTo(d, load(row.limit[k - 1] + x));
        }
        const V value = Blend(f, load(row.s[k] + x), fu, su, d, V{} + row.keep[k]);
        store(row.f[k] + x, SaturateToSample<Sample>(value));
    }
}

// Wide: the plain integer type of the one-pixel step. Vectorised: four pixels at a time in 32-bit
// lanes, only where no value of the step can leave 32 bits.
template <class Sample, class Wide, bool Vectorised, bool Deepest, bool Clamp, bool TwoRows>
void MergeRowPixels(const MergeRow<Sample>& row, int width) {
    int x = 0;
    if constexpr (Vectorised) {
        auto store = [](Sample* p, Lanes v) { StoreLanes(p, v); };
        auto load = [](const auto* p) { return LoadLanes(p); };
        for (; x + kLanes <= width; x += kLanes)
            MergePixels<Sample, Deepest, Clamp, TwoRows, Lanes>(row, x, load, store);
    }
    auto store = [](Sample* p, Wide v) { *p = static_cast<Sample>(v); };
    auto load = [](const auto* p) { return static_cast<Wide>(*p); };
    for (; x < width; ++x) MergePixels<Sample, Deepest, Clamp, TwoRows, Wide>(row, x, load, store);
}

// Row i of a child plane as the parent's columns see it: even columns take child(j), odd ones
// the floor mean with child(j + 1), the child's last column alone.
template <class Sample>
void UpsampleAcross(const Sample* child, int childWidth, int width, Sample* out) {
    for (int j = 0; j + 1 < childWidth; ++j) {
        out[2 * j] = child[j];
        out[2 * j + 1] = static_cast<Sample>((int32_t{child[j]} + int32_t{child[j + 1]}) >> 1);
    }
    const int last = childWidth - 1;
    out[2 * last] = child[last];
    if (2 * last + 1 < width) out[2 * last + 1] = child[last];
}

// Whether every value of the 8-bit pipeline's step stays inside 32 bits: i16 samples give
// |detail - base| below 2^18 when the chroma limits are not negative (a negative limit turns
// the clamp into a jump), so |keep| up to 2^13 keeps the product below 2^31.
bool FitsLanes(const FilterContext& context, int childIndex, bool clamp, const int32_t keep[3]) {
    for (int k = 0; k < 3; ++k)
        if (keep[k] < -(1 << 13) || keep[k] > (1 << 13)) return false;
    if (!clamp) return true;
    for (int k = 1; k < 3; ++k)
        for (int32_t t : context.threshold[childIndex][k])
            if (t < 0) return false;
    return true;
}

template <class Sample, class Wide, bool Vectorised, bool Deepest, bool Clamp>
void Merge(PyramidLevel<Sample>& child) {
    PyramidLevel<Sample>& parent = *child.parent;
    const int w = parent.width;
    const int cw = child.width;
    const int ch = child.height;
    const FilterContext& context = *parent.context;

    // Upsampled child rows, two per plane (row i and i + 1), each held for the parent rows that
    // read it.
    std::vector<Sample> across(std::size_t(w) * 12);
    auto acrossRow = [&](int k, int i) {
        return across.data() + std::size_t(w) * (k * 2 + (i & 1));
    };
    std::vector<int32_t> limits(Clamp ? std::size_t(w) * 2 : 0);
    int upsampled = -1;

    MergeRow<Sample> row;
    for (int k = 0; k < 3; ++k) row.keep[k] = 128 - parent.suppression[k];
    row.limit[0] = limits.data();
    row.limit[1] = limits.data() + (Clamp ? w : 0);
    for (int y = 0; y < parent.height; ++y) {
        const int i = y >> 1;
        const bool twoRows = (y & 1) != 0 && i + 1 < ch;
        for (; upsampled < i + (twoRows ? 1 : 0); ++upsampled)
            for (int k = 0; k < 6; ++k)
                UpsampleAcross(child.P(Plane(k)) + std::size_t(upsampled + 1) * cw, cw, w,
                               acrossRow(k, upsampled + 1));
        const std::size_t start = std::size_t(y) * w;
        for (int k = 0; k < 3; ++k) {
            row.f[k] = parent.P(Plane(kResY + k)) + start;
            row.s[k] = parent.P(Plane(kSrcY + k)) + start;
            row.suTop[k] = acrossRow(kSrcY + k, i);
            row.fuTop[k] = acrossRow(kResY + k, i);
            row.suBottom[k] = acrossRow(kSrcY + k, i + 1);
            row.fuBottom[k] = acrossRow(kResY + k, i + 1);
        }
        row.cy = parent.M(kLumaClassMap) + start;
        row.cc[0] = parent.M(kCrClassMap) + start;
        row.cc[1] = parent.M(kCbClassMap) + start;
        if constexpr (Clamp) {
            for (int x = 0; x < w; ++x) {
                const int bin = PyramidLevel<Sample>::Bin(row.f[0][x]);
                limits[x] = context.Threshold(child.index, kChannelCr, bin);
                limits[w + x] = context.Threshold(child.index, kChannelCb, bin);
            }
        }
        if (twoRows) MergeRowPixels<Sample, Wide, Vectorised, Deepest, Clamp, true>(row, w);
        else MergeRowPixels<Sample, Wide, Vectorised, Deepest, Clamp, false>(row, w);
    }
}

template <class Sample, class Wide, bool Vectorised>
void MergeAtDepth(PyramidLevel<Sample>& child) {
    const int c = child.index;
    if (c >= 3) Merge<Sample, Wide, Vectorised, true, true>(child);
    else if (c == 2) Merge<Sample, Wide, Vectorised, false, true>(child);
    else Merge<Sample, Wide, Vectorised, false, false>(child);
}

}  // namespace

template <class Sample>
void MergeChildLevel(PyramidLevel<Sample>& child) {
    if constexpr (sizeof(Sample) == 2) {
        const PyramidLevel<Sample>& parent = *child.parent;
        const int32_t keep[3] = {128 - parent.suppression[0], 128 - parent.suppression[1],
                                 128 - parent.suppression[2]};
        if (FitsLanes(*parent.context, child.index, child.index >= 2, keep)) {
            MergeAtDepth<Sample, int32_t, true>(child);
            return;
        }
    }
    MergeAtDepth<Sample, int64_t, false>(child);
}

template void MergeChildLevel(PyramidLevel<int16_t>&);
template void MergeChildLevel(PyramidLevel<int32_t>&);

}  // namespace stillpix
