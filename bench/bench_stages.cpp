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

// Levels 0 to L classified and level L + 1 processed: everything level L's own smoothing, merge
// and sharpening need, with a copy of the planes and maps of levels 0 to L to restore.
struct PreparedTile {
    FilterContext context;
    std::vector<uint8_t> buffer;
    PyramidLevel<int16_t> levels[kMaxLevels];
    PyramidLevel<int16_t>& level0 = levels[0];
    PyramidLevel<int16_t>& level1 = levels[1];
    int stage;  // the level the stages run on
    std::vector<std::vector<int16_t>> planes;
    std::vector<std::vector<uint8_t>> maps;

    explicit PreparedTile(int level) : buffer(std::size_t(kTile) * kTile * 3), stage(level) {
        const NoiseFilterParams params = DefaultParams();
        BuildFilterContext(PhotoProfile(), &params, false, context);
        for (int y = 0; y < kTile; ++y)
            std::memcpy(&buffer[std::size_t(y) * kTile * 3],
                        &Photo8()[std::size_t(y + 1700) * PhotoStride8() + 2400 * 3], kTile * 3);
        level0.tileBuffer = buffer.data();
        level0.width = level0.height = kTile;
        for (int l = 0; l <= level + 1; ++l) {
            PyramidLevel<int16_t>& v = levels[l];
            v.bytesPerPixel = 3;
            v.context = &context;
            v.index = l;
            v.last = l == context.lastLevel;
            v.degree = context.degree[l];
            v.sharpening = context.sharpening;
            for (int c = 0; c < 3; ++c) v.suppression[c] = context.suppression[l][c];
            if (l > 0) v.parent = &levels[l - 1], levels[l - 1].child = &v;
        }
        level0.AllocatePlanes(true);
        ForwardTransform(level0);
        for (int l = 0; l <= level; ++l) {
            DownsampleLevel(levels[l], levels[l + 1], true);
            ClassifyLevel(levels[l]);
        }
        RunPyramidLevel(levels[level + 1], context, level + 1, nullptr);
        for (int l = 0; l <= level; ++l) {
            const PyramidLevel<int16_t>& v = levels[l];
            planes.emplace_back(v.planeStore.Data(), v.planeStore.Data() + v.Pixels() * 6);
            maps.emplace_back(v.mapStore.Data(), v.mapStore.Data() + v.Pixels() * kMapCount);
        }
    }
    PyramidLevel<int16_t>& Stage() { return levels[stage]; }
    void Restore() {
        for (std::size_t l = 0; l < planes.size(); ++l) {
            std::copy(planes[l].begin(), planes[l].end(), levels[l].planeStore.Data());
            std::copy(maps[l].begin(), maps[l].end(), levels[l].mapStore.Data());
        }
    }
};

PreparedTile& Tile(int level = 0) {
    static PreparedTile* tiles[3] = {};
    if (tiles[level] == nullptr) tiles[level] = new PreparedTile(level);
    return *tiles[level];
}

template <class Stage>
void RunStage(benchmark::State& state, bool restore, Stage stage, int level = 0) {
    PreparedTile& tile = Tile(level);
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
// The argument is the level; MP/s still count the tile's level-0 pixels.
void BM_StageClassify(benchmark::State& state) {
    RunStage(
        state, true, [](PreparedTile& t) { ClassifyLevel(t.Stage()); }, int(state.range(0)));
}
void BM_StageClassifyPlain(benchmark::State& state) {
    RunStage(
        state, true, [](PreparedTile& t) { ClassifyLevelPlain(t.Stage()); }, int(state.range(0)));
}
void BM_StageSmoothLuma(benchmark::State& state) {
    RunStage(
        state, true, [](PreparedTile& t) { SmoothLuma(t.Stage(), true); }, int(state.range(0)));
}
void BM_StageSmoothLumaPlain(benchmark::State& state) {
    RunStage(
        state, true, [](PreparedTile& t) { SmoothLumaPlain(t.Stage(), true); },
        int(state.range(0)));
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
BENCHMARK(BM_StageClassify)->DenseRange(0, 2)->Apply(OverWallTime);
BENCHMARK(BM_StageClassifyPlain)->DenseRange(0, 2)->Apply(OverWallTime);
BENCHMARK(BM_StageSmoothLuma)->DenseRange(0, 2)->Apply(OverWallTime);
BENCHMARK(BM_StageSmoothLumaPlain)->DenseRange(0, 2)->Apply(OverWallTime);
BENCHMARK(BM_StageSmoothChroma)->Apply(OverWallTime);
BENCHMARK(BM_StageMerge)->Apply(OverWallTime);
BENCHMARK(BM_StageMergePlain)->Apply(OverWallTime);
BENCHMARK(BM_StageSharpen)->Apply(OverWallTime);
BENCHMARK(BM_StageInverse)->Apply(OverWallTime);
BENCHMARK(BM_StageInversePlain)->Apply(OverWallTime);
BENCHMARK(BM_StageMeasure)->Apply(OverWallTime);

}  // namespace
}  // namespace stillpix::bench
