// FilterImage and BuildImageProfile on the 24-megapixel camera-noise photograph: the hard case,
// where the classification finds edges and texture everywhere.
#include "bench/photo_fixture.h"

namespace stillpix::bench {
namespace {

constexpr double kPhotoPixels = double(kPhotoWidth) * kPhotoHeight;

// The benchmark's argument is the engine's thread count (0: one per core).
void BM_FilterPhoto8(benchmark::State& state) {
    SetEngineThreads(int(state.range(0)));
    const auto& source = Photo8();
    std::vector<uint8_t> destination(source.size());
    NoiseProfile profile = PhotoProfile();
    const NoiseFilterParams params = DefaultParams();
    for (auto _ : state) {
        TileGrid grid;
        CreateTileGrid(kPhotoWidth, kPhotoHeight, grid);
        benchmark::DoNotOptimize(FilterImage(
            kPhotoWidth, kPhotoHeight, PhotoStride8(), source.data(), destination.data(), nullptr,
            nullptr, 24, grid, profile, &params, nullptr, nullptr, nullptr));
        FreeTileGrid(grid);
    }
    ReportMegapixels(state, kPhotoPixels);
}

void BM_FilterPhoto16(benchmark::State& state) {
    SetEngineThreads(int(state.range(0)));
    const auto source = test::PhotoSamples16(Photo(), false);
    std::vector<uint16_t> destination(source.size());
    std::vector<uint8_t> display(Photo8().size());
    NoiseProfile profile = PhotoProfile();
    const NoiseFilterParams params = DefaultParams();
    for (auto _ : state) {
        TileGrid grid;
        CreateTileGrid(kPhotoWidth, kPhotoHeight, grid);
        benchmark::DoNotOptimize(FilterImage(kPhotoWidth, kPhotoHeight, PhotoStride8(), nullptr,
                                             display.data(), source.data(), destination.data(), 48,
                                             grid, profile, &params, nullptr, nullptr, nullptr));
        FreeTileGrid(grid);
    }
    ReportMegapixels(state, kPhotoPixels);
}

void BM_ProfilePhoto8(benchmark::State& state) {
    SetEngineThreads(int(state.range(0)));
    for (auto _ : state) {
        NoiseProfile profile;
        ResetProfile(profile, false);
        TileGrid grid;
        CreateTileGrid(kPhotoWidth, kPhotoHeight, grid);
        if (!BuildImageProfile(grid, kPhotoWidth, kPhotoHeight, PhotoStride8(), 24, Photo8().data(),
                               profile, nullptr, nullptr, nullptr))
            state.SkipWithError("profiling failed");
        FreeTileGrid(grid);
        benchmark::DoNotOptimize(profile);
    }
    ReportMegapixels(state, kPhotoPixels);
}

BENCHMARK(BM_FilterPhoto8)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Apply(OverWallTime);
BENCHMARK(BM_FilterPhoto16)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Apply(OverWallTime);
BENCHMARK(BM_ProfilePhoto8)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Apply(OverWallTime);

}  // namespace
}  // namespace stillpix::bench
