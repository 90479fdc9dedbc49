// The tile loop's contract: results of skips and stops, flags, refusals, and that only inner
// rectangles reach the destination.
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/engine/test_images.h"

namespace stillpix {
namespace {


using test::Stride24;

NoiseFilterParams FullSuppression() {
    NoiseFilterParams params;
    for (auto& band : params.suppression)
        for (auto& v : band) v = 128;
    params.sharpening = 5;
    return params;
}

struct TileRun {
    int width, height;
    std::vector<uint8_t> source, destination;
    TileGrid grid;
    NoiseProfile profile = FlatProfile(20);
    NoiseFilterParams params = FullSuppression();
    TileRun(int w, int h, uint8_t value = 40) : width(w), height(h) {
        source.assign(std::size_t(Stride24(w)) * h, value);
        destination.assign(source.size(), 0xAA);
        CreateTileGrid(w, h, grid);
    }
    ~TileRun() { FreeTileGrid(grid); }
    bool Go(void* data, TileCallback callback, TileBufferCallback bufferCallback = nullptr,
            const NoiseFilterParams* p = nullptr) {
        return ProcessTiles(grid, width, height, destination.data(), source.data(), 24, destination.size(),
                            p ? p : &params, &profile, false, data, callback, nullptr, bufferCallback);
    }
};

struct Script {
    int skipIndex = -1;   // 0 before this tile
    int stopIndex = -1;   // 0 after this tile
    int keepOnly = -1;    // skip every other tile
    std::vector<int> seen;
};

int Scripted(ProgressRecord& record) {
    auto& s = *static_cast<Script*>(record.callerData);
    EXPECT_EQ(record.filtering, 1);
    if (record.stage == 0) {
        s.seen.push_back(record.tileIndex);
        if (record.tileIndex == s.skipIndex) return 0;
        if (s.keepOnly >= 0 && record.tileIndex != s.keepOnly) return 0;
        return 1;
    }
    return record.tileIndex == s.stopIndex ? 0 : 1;
}

TEST(ProcessTiles, SkippingTheLastTileMakesTheRunFalse) {
    TileRun run(700, 700);   // 2 x 2 tiles
    Script script;
    script.skipIndex = 3;
    EXPECT_FALSE(run.Go(&script, Scripted));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(run.grid.tiles[i].filtered, 1);
    EXPECT_EQ(run.grid.tiles[3].filtered, 0);

    Script other;
    other.skipIndex = 0;   // an earlier skip does not decide the result
    EXPECT_TRUE(run.Go(&other, Scripted));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), other.seen);
}

TEST(ProcessTiles, StopAfterATileEndsTheRunAtOnce) {
    TileRun run(700, 700);
    Script script;
    script.stopIndex = 1;
    EXPECT_FALSE(run.Go(&script, Scripted));
    EXPECT_EQ(run.grid.tiles[0].filtered, 1);
    EXPECT_EQ(run.grid.tiles[1].filtered, 1);   // a tile in progress always completes
    EXPECT_EQ(run.grid.tiles[2].filtered, 0);
    EXPECT_EQ((std::vector<int>{0, 1}), script.seen);
}

TEST(ProcessTiles, OnlyInnerRectanglesOfFilteredTilesAreWritten) {
    TileRun run(701, 650);   // 2 x 1 tiles; stride 2104: one padding byte per row
    ASSERT_EQ(run.grid.count, 2);
    Script script;
    script.keepOnly = 1;
    run.Go(&script, Scripted);
    const TileRect inner = run.grid.tiles[1].inner;
    const int stride = Stride24(run.width);
    for (int y = 0; y < run.height; ++y)
        for (int x = 0; x < stride; ++x) {
            const bool inside = x < run.width * 3 && x / 3 >= inner.left && x / 3 < inner.right &&
                                y >= inner.top && y < inner.bottom;
            ASSERT_EQ(run.destination[std::size_t(y) * stride + x], inside ? 40 : 0xAA) << x << "," << y;
        }
}

uint8_t* NoBuffer(ProgressRecord&) { return nullptr; }

TEST(ProcessTiles, BufferCallbackSkipsLeaveTheResultFalseAndTheDestinationAlone) {
    TileRun run(300, 200);
    EXPECT_FALSE(run.Go(nullptr, nullptr, NoBuffer));
    EXPECT_EQ(run.grid.tiles[0].filtered, 0);
    for (uint8_t v : run.destination) ASSERT_EQ(v, 0xAA);
}

struct CallerTile {
    std::vector<uint8_t> buffer;
    int calls[2] = {0, 0};
};

uint8_t* OwnBuffer(ProgressRecord& record) {
    auto& t = *static_cast<CallerTile*>(record.callerData);
    ++t.calls[record.stage];
    return t.buffer.data();
}

TEST(ProcessTiles, CallerBufferIsFilteredInPlaceAndNotCopied) {
    TileRun run(100, 80, 90);
    CallerTile tile;
    tile.buffer.assign(100 * 80 * 3, 90);
    EXPECT_TRUE(run.Go(&tile, nullptr, OwnBuffer));
    EXPECT_EQ(tile.calls[0], 1);
    EXPECT_EQ(tile.calls[1], 1);
    for (uint8_t v : run.destination) ASSERT_EQ(v, 0xAA);
    for (uint8_t v : tile.buffer) ASSERT_EQ(v, 90);   // flat grey comes back as itself
}

TEST(ProcessTiles, RefusedArgumentsTouchNothing) {
    TileRun run(64, 64);
    EXPECT_FALSE(ProcessTiles(run.grid, 64, 64, run.destination.data(), run.source.data(), 24,
                              run.destination.size(), nullptr, &run.profile, false, nullptr, nullptr,
                              nullptr, nullptr));
    EXPECT_FALSE(ProcessTiles(run.grid, 64, 64, run.destination.data(), run.source.data(), 12,
                              run.destination.size(), &run.params, &run.profile, false, nullptr, nullptr,
                              nullptr, nullptr));
    EXPECT_FALSE(ProcessTiles(run.grid, 64, 64, run.destination.data(), run.source.data(), 48,
                              run.destination.size(), nullptr, &run.profile, true, nullptr, nullptr,
                              nullptr, nullptr));   // no 16-bit measurement
    NoiseProfile empty;
    EXPECT_FALSE(ProcessTiles(run.grid, 64, 64, run.destination.data(), run.source.data(), 24,
                              run.destination.size(), &run.params, &empty, false, nullptr, nullptr,
                              nullptr, nullptr));
    EXPECT_FALSE(ProcessTiles(run.grid, 64, 64, run.destination.data(), run.source.data(), 24, 100,
                              &run.params, &run.profile, false, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(FilterImage(64, 64, Stride24(64), run.source.data(), run.destination.data(), nullptr,
                             nullptr, 24, run.grid, empty, &run.params, nullptr, nullptr, nullptr));
    EXPECT_FALSE(FilterImage(64, 64, 10, run.source.data(), run.destination.data(), nullptr, nullptr, 24,
                             run.grid, run.profile, &run.params, nullptr, nullptr, nullptr));
    for (uint8_t v : run.destination) ASSERT_EQ(v, 0xAA);
    EXPECT_EQ(run.grid.tiles[0].filtered, 0);
}

}  // namespace
}  // namespace stillpix
