// FilterImage on 24-megapixel images: 8-bit colour, 8-bit grey, 16-bit colour. One iteration a
// repetition: a run takes seconds.
#include "bench/bench_images.h"
#include "bench/bench_report.h"
#include "engine/engine.h"

namespace stillpix::bench {
namespace {

// What the program filters with: the image's own measured profile, smoothed.
NoiseProfile MeasuredProfile(const std::vector<uint8_t>& image, int channels) {
    NoiseProfile profile;
    ResetProfile(profile, false);
    TileGrid grid;
    CreateTileGrid(kWidth, kHeight, grid);
    BuildImageProfile(grid, kWidth, kHeight, int(image.size() / kHeight), channels * 8,
                      image.data(), profile, nullptr, nullptr, nullptr);
    FreeTileGrid(grid);
    SmoothProfile(profile);
    return profile;
}

NoiseFilterParams BenchParams() {
    NoiseFilterParams params;
    for (auto& band : params.suppression)
        for (auto& v : band) v = 110;
    params.sharpening = 5;
    return params;
}

void FilterEightBit(benchmark::State& state, int channels) {
    const auto& source = NoisyImage8(channels);
    std::vector<uint8_t> destination(source.size());
    const int stride = int(source.size() / kHeight);
    NoiseProfile profile = MeasuredProfile(source, channels);
    const NoiseFilterParams params = BenchParams();
    for (auto _ : state) {
        TileGrid grid;
        CreateTileGrid(kWidth, kHeight, grid);
        benchmark::DoNotOptimize(FilterImage(kWidth, kHeight, stride, source.data(),
                                             destination.data(), nullptr, nullptr, channels * 8,
                                             grid, profile, &params, nullptr, nullptr, nullptr));
        FreeTileGrid(grid);
    }
    ReportMegapixels(state, double(kWidth) * kHeight);
}

void BM_FilterColour8(benchmark::State& state) { FilterEightBit(state, 3); }
void BM_FilterGrey8(benchmark::State& state) { FilterEightBit(state, 1); }

void BM_FilterColour16(benchmark::State& state) {
    const auto& source = NoisyImage16();
    std::vector<uint16_t> destination(source.size());
    const int stride8 = (kWidth * 3 + 3) / 4 * 4;
    std::vector<uint8_t> display(std::size_t(stride8) * kHeight);
    NoiseProfile profile = MeasuredProfile(NoisyImage8(3), 3);  // measured on the 8-bit view
    const NoiseFilterParams params = BenchParams();
    for (auto _ : state) {
        TileGrid grid;
        CreateTileGrid(kWidth, kHeight, grid);
        benchmark::DoNotOptimize(FilterImage(kWidth, kHeight, stride8, nullptr, display.data(),
                                             source.data(), destination.data(), 48, grid, profile,
                                             &params, nullptr, nullptr, nullptr));
        FreeTileGrid(grid);
    }
    ReportMegapixels(state, double(kWidth) * kHeight);
}

BENCHMARK(BM_FilterColour8)->Unit(benchmark::kSecond)->Iterations(1)->Apply(OverWallTime);
BENCHMARK(BM_FilterGrey8)->Unit(benchmark::kSecond)->Iterations(1)->Apply(OverWallTime);
BENCHMARK(BM_FilterColour16)->Unit(benchmark::kSecond)->Iterations(1)->Apply(OverWallTime);

}  // namespace
}  // namespace stillpix::bench
