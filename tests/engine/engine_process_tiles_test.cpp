// The tile loop's contract: caller buffers, refusals, and that only inner rectangles reach the
// destination (skips and stops: engine_threads_test.cpp, measure_build_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

using test::Stride24;

struct TileRun {
    int width, height;
    std::vector<uint8_t> source, destination;
    test::Grid g;
    NoiseProfile profile = FlatProfile(20);
    NoiseFilterParams params = test::Params(128, 5);
    TileRun(int w, int h, uint8_t value = 40)
        : width(w),
          height(h),
          source(std::size_t(Stride24(w)) * h, value),
          destination(source.size(), 0xAA),
          g(w, h) {}
    bool Go(void* data, TileCallback callback, TileBufferCallback bufferCallback = nullptr) {
        return ProcessTiles(g.grid, width, height, destination.data(), source.data(), 24,
                            destination.size(), &params, &profile, false, data, callback, nullptr,
                            bufferCallback);
    }
    bool Untouched() const {
        return std::all_of(destination.begin(), destination.end(),
                           [](uint8_t v) { return v == 0xAA; });
    }
};

// Filters only the tile `keep`; every other one is skipped before it starts.
int KeepOnly(ProgressRecord& record) {
    EXPECT_EQ(record.filtering, 1);
    return record.stage == kAfterTile || record.tileIndex == *static_cast<int*>(record.callerData);
}

TEST(ProcessTiles, OnlyInnerRectanglesOfFilteredTilesAreWritten) {
    TileRun run(701, 650);  // 2 x 1 tiles; stride 2104: one padding byte per row
    ASSERT_EQ(run.g.grid.count, 2);
    int keep = 1;
    run.Go(&keep, KeepOnly);
    const TileRect inner = run.g.grid.tiles[1].inner;
    const int stride = Stride24(run.width);
    for (int y = 0; y < run.height; ++y)
        for (int x = 0; x < stride; ++x) {
            const bool inside = x < run.width * 3 && x / 3 >= inner.left && x / 3 < inner.right &&
                                y >= inner.top && y < inner.bottom;
            ASSERT_EQ(run.destination[std::size_t(y) * stride + x], inside ? 40 : 0xAA)
                << x << "," << y;
        }
}

struct CallerTile {
    std::vector<uint8_t> buffer;
    int calls[2] = {0, 0};
};

uint8_t* OwnBuffer(ProgressRecord& record) {
    auto& t = *static_cast<CallerTile*>(record.callerData);
    ++t.calls[record.stage];
    return t.buffer.empty() ? nullptr : t.buffer.data();
}

TEST(ProcessTiles, CallerBuffersAreFilteredInPlaceAndNullSkips) {
    TileRun run(100, 80, 90);
    CallerTile tile{std::vector<uint8_t>(100 * 80 * 3, 90)};
    EXPECT_TRUE(run.Go(&tile, nullptr, OwnBuffer));
    EXPECT_EQ(tile.calls[0], 1);
    EXPECT_EQ(tile.calls[1], 1);
    EXPECT_TRUE(run.Untouched());
    EXPECT_TRUE(std::all_of(tile.buffer.begin(), tile.buffer.end(),
                            [](uint8_t v) { return v == 90; }));  // flat grey stays

    TileRun skipped(100, 80, 90);
    CallerTile none;
    EXPECT_FALSE(skipped.Go(&none, nullptr, OwnBuffer));  // the last tile was skipped
    EXPECT_EQ(none.calls[1], 0);
    EXPECT_EQ(skipped.g.grid.tiles[0].filtered, 0);
    EXPECT_TRUE(skipped.Untouched());
}

TEST(ProcessTiles, RefusedArgumentsTouchNothing) {
    TileRun run(64, 64);
    NoiseProfile empty;
    auto process = [&](int bpp, std::size_t size, const NoiseFilterParams* params,
                       NoiseProfile* profile, bool profiling) {
        return ProcessTiles(run.g.grid, 64, 64, run.destination.data(), run.source.data(), bpp,
                            size, params, profile, profiling, nullptr, nullptr, nullptr, nullptr);
    };
    const std::size_t size = run.destination.size();
    EXPECT_FALSE(process(24, size, nullptr, &run.profile, false));
    EXPECT_FALSE(process(12, size, &run.params, &run.profile, false));
    EXPECT_FALSE(process(48, size, nullptr, &run.profile, true));  // no 16-bit measurement
    EXPECT_FALSE(process(24, size, &run.params, &empty, false));
    EXPECT_FALSE(process(24, 100, &run.params, &run.profile, false));
    auto filter = [&](int stride, NoiseProfile& profile) {
        return FilterImage(64, 64, stride, run.source.data(), run.destination.data(), nullptr,
                           nullptr, 24, run.g.grid, profile, &run.params, nullptr, nullptr,
                           nullptr);
    };
    EXPECT_FALSE(filter(Stride24(64), empty));
    EXPECT_FALSE(filter(10, run.profile));
    EXPECT_TRUE(run.Untouched());
    EXPECT_EQ(run.g.grid.tiles[0].filtered, 0);
}

}  // namespace
}  // namespace stillpix
