// The recursive pyramid driver, and the plain loops of the 3 x 3 box downsampling between levels
// (the bit-exact reference of DownsampleLevel, downsample_fast.cpp).
#include <memory>
#include <type_traits>
#include <vector>

#include "engine/pyramid_level.h"

namespace stillpix {

template <class Sample>
void DownsampleLevelPlain(const PyramidLevel<Sample>& parent, PyramidLevel<Sample>& child,
                          bool withResults) {
    using Wide = typename Pipeline<Sample>::Wide;
    child.width = HalfUp(parent.width);
    child.height = HalfUp(parent.height);
    child.AllocatePlanes(withResults);
    const int pw = parent.width;
    const int ph = parent.height;
    const int cw = child.width;
    std::vector<Wide> columnSums(static_cast<std::size_t>(pw));
    for (int c = 0; c < 3; ++c) {
        const Sample* src = parent.P(Plane(kSrcY + c));
        Sample* out = child.P(Plane(kSrcY + c));
        for (int y = 0; y < child.height; ++y) {
            const int top = std::max(0, 2 * y - 1);
            const int bottom = std::min(ph - 1, 2 * y + 1);
            const int rows = bottom - top + 1;
            for (int x = 0; x < pw; ++x) columnSums[x] = 0;
            for (int j = top; j <= bottom; ++j) {
                const Sample* row = src + std::size_t(j) * pw;
                for (int x = 0; x < pw; ++x) columnSums[x] += row[x];
            }
            Sample* o = out + std::size_t(y) * cw;
            for (int x = 0; x < cw; ++x) {
                const int left = std::max(0, 2 * x - 1);
                const int right = std::min(pw - 1, 2 * x + 1);
                Wide sum = 0;
                for (int i = left; i <= right; ++i) sum += columnSums[i];
                o[x] = BoxMean<Sample>(sum, rows * (right - left + 1));
            }
        }
        if (withResults) std::copy_n(out, child.Pixels(), child.P(Plane(kResY + c)));
    }
}

template <class Sample>
void RunPyramidLevel(PyramidLevel<Sample>& level, const FilterContext& context, int levelIndex,
                     TileMeasurement* measurement) {
    const bool profiling = measurement != nullptr;
    const int last = context.lastLevel;
    level.context = &context;
    level.index = levelIndex;
    level.last = levelIndex == last;
    level.grey = level.bytesPerPixel == 1 || level.bytesPerPixel == 2;
    if (levelIndex == 0) {
        level.AllocatePlanes(!profiling);
        ForwardTransform(level);
    }

    auto makeChild = [&] {
        auto child = std::make_unique<PyramidLevel<Sample>>();
        child->bytesPerPixel = level.bytesPerPixel;
        child->margin = level.margin;
        child->parent = &level;
        level.child = child.get();
        DownsampleLevel(level, *child, !profiling);
        return child;
    };

    if (profiling) {
        if constexpr (std::is_same_v<Sample, int16_t>) {
            const LevelPlanes16 planes{level.P(kSrcY), level.P(kSrcCr), level.P(kSrcCb),
                                       level.width,    level.height,    level.grey};
            CollectBlocks(planes, levelIndex, measurement->tileCount,
                          measurement->known[levelIndex], measurement->levels[levelIndex]);
            if (levelIndex < last) {
                auto child = makeChild();
                RunPyramidLevel(*child, context, levelIndex + 1, measurement);
                child->Release();
                level.child = nullptr;
            }
        }
        if (levelIndex == 0) level.Release();
        return;
    }

    for (int c = 0; c < 3; ++c) level.suppression[c] = context.suppression[levelIndex][c];
    level.sharpening = context.sharpening;
    level.degree = context.degree[levelIndex];
    if (levelIndex < last) {
        auto child = makeChild();
        ClassifyLevel(level);
        RunPyramidLevel(*child, context, levelIndex + 1, nullptr);
        SmoothLuma(level, true);
        SmoothChroma(level, true);
        MergeChildLevel(*child);
        child->Release();
        level.child = nullptr;
    } else {
        ClassifyLevel(level);
        SmoothLuma(level, false);
        SmoothChroma(level, false);
    }
    SharpenLevel(level);
    if (levelIndex == 0) {
        InverseTransform(level);
        level.Release();
    }
}

template void DownsampleLevelPlain(const PyramidLevel<int16_t>&, PyramidLevel<int16_t>&, bool);
template void DownsampleLevelPlain(const PyramidLevel<int32_t>&, PyramidLevel<int32_t>&, bool);
template void RunPyramidLevel(PyramidLevel<int16_t>&, const FilterContext&, int, TileMeasurement*);
template void RunPyramidLevel(PyramidLevel<int32_t>&, const FilterContext&, int, TileMeasurement*);

}  // namespace stillpix
