// One level of a tile's pyramid: six colour planes, five byte maps and the band's settings, and
// the stages that work on it. Internal to the engine. `Sample` is int16_t on the 8-bit pipeline
// and int32_t on the 16-bit one; each stage file instantiates both.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "engine/filter_context.h"
#include "engine/measure_noise.h"
#include "engine/scratch_blocks.h"
#include "engine/tile_grid.h"

namespace stillpix {

template <class Sample>
struct Pipeline;

template <>
struct Pipeline<int16_t> {
    static constexpr int kBinShift = 11;
    static constexpr int32_t kMaxY = 21906;
    static constexpr bool kRoundedDownsample = true;  // to nearest, exact halves down
    using Wide = int32_t;                             // wide enough for any sum of i16 samples
};

template <>
struct Pipeline<int32_t> {
    static constexpr int kBinShift = 12;
    static constexpr int32_t kMaxY = 43983;
    static constexpr bool kRoundedDownsample = false;  // truncated
    using Wide = int64_t;
};

// Every store into a plane goes through here: values outside the sample type saturate instead of
// wrapping (a wrapped bright pixel would turn dark). Unreachable for valid data.
template <class Sample, class Value>
inline Sample NarrowSample(Value v) {
    constexpr auto kLo = static_cast<Value>(std::numeric_limits<Sample>::min());
    constexpr auto kHi = static_cast<Value>(std::numeric_limits<Sample>::max());
    return static_cast<Sample>(v < kLo ? kLo : (v > kHi ? kHi : v));
}

// Level sizes: the integer part of half, plus 1 when a fraction remains.
inline int HalfUp(int size) { return size / 2 + (size % 2 != 0 ? 1 : 0); }

// The mean of n box values: 8-bit to nearest with exact halves down, 16-bit truncated.
template <class Sample>
inline Sample BoxMean(typename Pipeline<Sample>::Wide sum, int n) {
    if constexpr (Pipeline<Sample>::kRoundedDownsample) {
        const auto q = (sum * 128) / n;
        return NarrowSample<Sample>((q >> 7) + ((q & 127) > 64 ? 1 : 0));
    } else {
        return NarrowSample<Sample>(sum / n);
    }
}

enum Plane { kSrcY, kSrcCr, kSrcCb, kResY, kResCr, kResCb, kPlaneCount };
enum Map {
    kDirectionMap,
    kSmoothedDirectionMap,
    kLumaClassMap,
    kCrClassMap,
    kCbClassMap,
    kMapCount
};

template <class Sample>
struct PyramidLevel {
    int bytesPerPixel = 0;
    uint8_t* tileBuffer = nullptr;  // level 0 only
    bool grey = false;
    bool last = false;
    int width = 0;
    int height = 0;
    int index = 0;
    const FilterContext* context = nullptr;
    PyramidLevel* parent = nullptr;
    PyramidLevel* child = nullptr;
    int32_t suppression[3] = {};  // this band's Y, Cr, Cb amounts in 1/128
    uint32_t sharpening = 0;
    int32_t degree = 0;
    TileRect margin;

    Sample* planes[kPlaneCount] = {};
    uint8_t* maps[kMapCount] = {};
    ScratchArray<Sample> planeStore;
    ScratchArray<uint8_t> mapStore;

    std::size_t Pixels() const { return std::size_t(width) * std::size_t(height); }
    Sample* P(Plane p) const { return planes[p]; }
    uint8_t* M(Map m) const { return maps[m]; }

    // Source planes only (profiling), or all six; contents undefined until filled.
    void AllocatePlanes(bool withResults) {
        const std::size_t n = Pixels();
        const int count = withResults ? kPlaneCount : 3;
        planeStore.Allocate(n * count);
        for (int p = 0; p < count; ++p) planes[p] = planeStore.Data() + n * p;
    }
    // The five byte maps, zeroed.
    void AllocateMaps() {
        const std::size_t n = Pixels();
        mapStore.Allocate(n * kMapCount);
        std::memset(mapStore.Data(), 0, n * kMapCount);
        for (int m = 0; m < kMapCount; ++m) maps[m] = mapStore.Data() + n * m;
    }
    void Release() {
        planeStore.Release();
        mapStore.Release();
        for (auto& p : planes) p = nullptr;
        for (auto& m : maps) m = nullptr;
    }

    // Luminance bin of a value for the threshold table, held to the table's width.
    static int Bin(int64_t value) {
        return static_cast<int>(
            std::clamp<int64_t>(value >> Pipeline<Sample>::kBinShift, 0, kThresholdBins - 1));
    }
    // The value that picks a pixel's bin: the child's source Y (a local mean) where there is a
    // child, else `own`.
    int BinAt(int x, int y, int64_t own) const {
        if (child == nullptr) return Bin(own);
        return Bin(child->planes[kSrcY][std::size_t(y >> 1) * child->width + (x >> 1)]);
    }
    const int32_t* Thresholds(int channel) const { return context->threshold[index][channel]; }
};

// Colour transforms between a tile buffer and level 0's planes (colour_planes.cpp).
// The forward transform fills source and, when allocated, result planes.
template <class Sample>
void ForwardTransform(PyramidLevel<Sample>& level);
template <class Sample>
void InverseTransform(const PyramidLevel<Sample>& level);
// The plain loop of InverseTransform, its bit-exact reference.
template <class Sample>
void InverseTransformPlain(const PyramidLevel<Sample>& level);

// Pyramid stages (downsample_fast.cpp, classify_edges_fast.cpp, smooth_luma_fast.cpp,
// smooth_chroma.cpp, merge_bands_fast.cpp, sharpen.cpp).
template <class Sample>
void DownsampleLevel(const PyramidLevel<Sample>& parent, PyramidLevel<Sample>& child,
                     bool withResults);
// The plain loops of DownsampleLevel (pyramid.cpp), its bit-exact reference.
template <class Sample>
void DownsampleLevelPlain(const PyramidLevel<Sample>& parent, PyramidLevel<Sample>& child,
                          bool withResults);
template <class Sample>
void ClassifyLevel(PyramidLevel<Sample>& level);
template <class Sample>
void SmoothLuma(PyramidLevel<Sample>& level, bool below);
// The plain loops of SmoothLuma (smooth_luma.cpp), its bit-exact reference.
template <class Sample>
void SmoothLumaPlain(PyramidLevel<Sample>& level, bool below);
// The plain loops of ClassifyLevel (classify_edges.cpp): the bit-exact reference its fast
// schedule is tested and measured against.
template <class Sample>
void ClassifyLevelPlain(PyramidLevel<Sample>& level);
template <class Sample>
void SmoothChroma(PyramidLevel<Sample>& level, bool below);
template <class Sample>
void MergeChildLevel(PyramidLevel<Sample>& child);
// The plain loops of MergeChildLevel (merge_bands.cpp), its bit-exact reference.
template <class Sample>
void MergeChildLevelPlain(PyramidLevel<Sample>& child);
template <class Sample>
void SharpenLevel(PyramidLevel<Sample>& level);

// Sharpening strength k in 1/128 of a level for sharpening value S and the band's degree.
int64_t SharpenStrength(int level, int32_t degree, uint32_t sharpening);

// Processes `level` and every level below it. Level 0 must have its tile buffer, size, bytes per
// pixel and margin set; it leaves the result in the tile buffer (filtering, `measurement` null)
// or each level's measured blocks in `measurement` (profiling, 8-bit only).
template <class Sample>
void RunPyramidLevel(PyramidLevel<Sample>& level, const FilterContext& context, int levelIndex,
                     TileMeasurement* measurement);

}  // namespace stillpix
