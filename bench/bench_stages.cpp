// Each stage of the 8-bit pipeline alone, at level 0 of one interior tile (632 x 632 with its
// margins) of the camera-noise photograph, in the state the tile loop hands it over: MP/s of
// level-0 pixels. Stages that work in place get their inputs back, untimed, before each run;
// the ...Plain ones time the plain twins of the fast stages.
#include <cstring>

#include "bench/photo_fixture.h"
#include "engine/measure_noise.h"
#include "engine/pyramid_level.h"

namespace stillpix::bench {
namespace {

constexpr int kTile = kTileSize + 2 * kTileMargin;

// Level 0 classified and level 1 processed: everything level 0's own smoothing, merge and
// sharpening need, with a copy of its planes and maps to restore.
struct PreparedTile {
    FilterContext context;
    std::vector<uint8_t> buffer;
    PyramidLevel<int16_t> level0;
    PyramidLevel<int16_t> level1;
    std::vector<int16_t> planes;
    std::vector<uint8_t> maps;

    PreparedTile() : buffer(std::size_t(kTile) * kTile * 3) {
        const NoiseFilterParams params = DefaultParams();
        BuildFilterContext(PhotoProfile(), &params, false, context);
        for (int y = 0; y < kTile; ++y)
            std::memcpy(&buffer[std::size_t(y) * kTile * 3],
                        &Photo8()[std::size_t(y + 1700) * PhotoStride8() + 2400 * 3], kTile * 3);
        level0.bytesPerPixel = 3;
        level0.tileBuffer = buffer.data();
        level0.width = level0.height = kTile;
        level0.context = &context;
        level0.degree = context.degree[0];
        level0.sharpening = context.sharpening;
        for (int c = 0; c < 3; ++c) level0.suppression[c] = context.suppression[0][c];
        level0.AllocatePlanes(true);
        ForwardTransform(level0);
        level1.bytesPerPixel = 3;
        level1.parent = &level0;
        level0.child = &level1;
        DownsampleLevel(level0, level1, true);
        ClassifyLevel(level0);
        RunPyramidLevel(level1, context, 1, nullptr);
        planes.assign(level0.planeStore.Data(), level0.planeStore.Data() + level0.Pixels() * 6);
        maps.assign(level0.mapStore.Data(), level0.mapStore.Data() + level0.Pixels() * kMapCount);
    }
    void Restore() {
        std::copy(planes.begin(), planes.end(), level0.planeStore.Data());
        std::copy(maps.begin(), maps.end(), level0.mapStore.Data());
    }
};

PreparedTile& Tile() {
    static PreparedTile tile;
    return tile;
}

template <class Stage>
void RunStage(benchmark::State& state, bool restore, Stage stage) {
    PreparedTile& tile = Tile();
    for (auto _ : state) {
        if (restore) {
            state.PauseTiming();
            tile.Restore();
            state.ResumeTiming();
        }
        stage(tile);
    }
    tile.Restore();
    ReportMegapixels(state, double(kTile) * kTile);
}

void BM_StageForward(benchmark::State& state) {
    RunStage(state, false, [](PreparedTile& t) { ForwardTransform(t.level0); });
}
void BM_StageDownsample(benchmark::State& state) {
    RunStage(state, false, [](PreparedTile& t) {
        PyramidLevel<int16_t> child;
        DownsampleLevel(t.level0, child, true);
        benchmark::DoNotOptimize(child.planeStore.Data());
    });
}
void BM_StageDownsamplePlain(benchmark::State& state) {
    RunStage(state, false, [](PreparedTile& t) {
        PyramidLevel<int16_t> child;
        DownsampleLevelPlain(t.level0, child, true);
        benchmark::DoNotOptimize(child.planeStore.Data());
    });
}
void BM_StageClassify(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { ClassifyLevel(t.level0); });
}
void BM_StageSmoothLuma(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { SmoothLuma(t.level0, true); });
}
void BM_StageClassifyPlain(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { ClassifyLevelPlain(t.level0); });
}
void BM_StageSmoothChroma(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { SmoothChroma(t.level0, true); });
}
void BM_StageMerge(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { MergeChildLevel(t.level1); });
}
void BM_StageMergePlain(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { MergeChildLevelPlain(t.level1); });
}
void BM_StageSharpen(benchmark::State& state) {
    RunStage(state, true, [](PreparedTile& t) { SharpenLevel(t.level0); });
}
void BM_StageInverse(benchmark::State& state) {
    RunStage(state, false, [](PreparedTile& t) { InverseTransform(t.level0); });
}
void BM_StageInversePlain(benchmark::State& state) {
    RunStage(state, false, [](PreparedTile& t) { InverseTransformPlain(t.level0); });
}
void BM_StageMeasure(benchmark::State& state) {
    RunStage(state, false, [](PreparedTile& t) {
        static ProfileAccumulator accumulator;
        ProfileBand band;
        const LevelPlanes16 planes{
            t.level0.P(kSrcY), t.level0.P(kSrcCr), t.level0.P(kSrcCb), kTile, kTile, false};
        MeasureLevel(planes, 0, 1, band, accumulator);
        for (int b = 0; b < kProfileBins; ++b)
            for (int c = 0; c < 3; ++c) accumulator.Block(0).lists[b * 4 + c].clear();
    });
}

BENCHMARK(BM_StageForward)->Apply(OverWallTime);
BENCHMARK(BM_StageDownsample)->Apply(OverWallTime);
BENCHMARK(BM_StageDownsamplePlain)->Apply(OverWallTime);
BENCHMARK(BM_StageClassify)->Apply(OverWallTime);
BENCHMARK(BM_StageSmoothLuma)->Apply(OverWallTime);
BENCHMARK(BM_StageClassifyPlain)->Apply(OverWallTime);
BENCHMARK(BM_StageSmoothChroma)->Apply(OverWallTime);
BENCHMARK(BM_StageMerge)->Apply(OverWallTime);
BENCHMARK(BM_StageMergePlain)->Apply(OverWallTime);
BENCHMARK(BM_StageSharpen)->Apply(OverWallTime);
BENCHMARK(BM_StageInverse)->Apply(OverWallTime);
BENCHMARK(BM_StageInversePlain)->Apply(OverWallTime);
BENCHMARK(BM_StageMeasure)->Apply(OverWallTime);

}  // namespace
}  // namespace stillpix::bench
