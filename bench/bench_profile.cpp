// BuildImageProfile on 24-megapixel images: 8-bit colour and 8-bit grey (16-bit images are
// measured on their 8-bit view, so colour stands for them too).
#include "bench/bench_images.h"
#include "bench/bench_report.h"
#include "engine/engine.h"

namespace stillpix::bench {
namespace {

void Profile(benchmark::State& state, int channels) {
    const auto& image = NoisyImage8(channels);
    const int stride = int(image.size() / kHeight);
    for (auto _ : state) {
        NoiseProfile profile;
        ResetProfile(profile, false);
        TileGrid grid;
        CreateTileGrid(kWidth, kHeight, grid);
        if (!BuildImageProfile(grid, kWidth, kHeight, stride, channels * 8, image.data(), profile,
                               nullptr, nullptr, nullptr))
            state.SkipWithError("profiling failed");
        FreeTileGrid(grid);
        benchmark::DoNotOptimize(profile);
    }
    ReportMegapixels(state, double(kWidth) * kHeight);
}

void BM_ProfileColour8(benchmark::State& state) { Profile(state, 3); }
void BM_ProfileGrey8(benchmark::State& state) { Profile(state, 1); }

BENCHMARK(BM_ProfileColour8)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Apply(OverWallTime);
BENCHMARK(BM_ProfileGrey8)->Unit(benchmark::kMillisecond)->MinTime(2.0)->Apply(OverWallTime);

}  // namespace
}  // namespace stillpix::bench
