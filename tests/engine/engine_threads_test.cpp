// The tile loop on several threads keeps the callback's meaning: calls one at a time on the
// caller's thread, stage 0 in record order, a skip skips, a stop lets the tiles in flight finish
// and write their results, and the result follows the last record. A hand-made grid of 36 small
// tiles keeps it quick.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tests/engine/engine_test_support.h"
#include "tests/support/failing_allocations.h"

namespace stillpix {
namespace {

using namespace test;

constexpr int kSide = 96, kCell = 16;  // 6 x 6 tiles of 16 x 16, margins of 4

struct SmallTiles {
    std::vector<TileRecord> records;
    TileGrid grid;
    SmallTiles() {
        for (int y = 0; y < kSide; y += kCell)
            for (int x = 0; x < kSide; x += kCell) {
                TileRecord r;
                r.inner = {x, y, x + kCell, y + kCell};
                r.margin = {std::max(x - 4, 0), std::max(y - 4, 0), std::min(x + kCell + 4, kSide),
                            std::min(y + kCell + 4, kSide)};
                records.push_back(r);
            }
        grid.count = int(records.size());
        grid.tiles = records.data();
    }
};

struct Watch {
    std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> active{0};
    bool overlapped = false, elsewhere = false;
    std::vector<int> handedOut, finished;
    int skip = -1, stopAfter = -1, throwAfter = -1;
};

int Watched(ProgressRecord& record) {
    Watch& w = *static_cast<Watch*>(record.callerData);
    if (w.active.fetch_add(1) != 0) w.overlapped = true;
    if (std::this_thread::get_id() != w.caller) w.elsewhere = true;
    int go = 1;
    if (record.stage == kBeforeTile) {
        w.handedOut.push_back(record.tileIndex);
        go = record.tileIndex == w.skip ? 0 : 1;
    } else {
        w.finished.push_back(record.tileIndex);
        go = record.tileIndex == w.stopAfter ? 0 : 1;
    }
    w.active.fetch_sub(1);
    if (record.stage == kAfterTile && record.tileIndex == w.throwAfter)
        throw std::runtime_error("stop");
    return go;
}

struct SmallRun {
    SmallTiles tiles;
    std::vector<uint8_t> source = ColourImage8(kSide, kSide, 12.0, 3);
    std::vector<uint8_t> destination = std::vector<uint8_t>(source.size(), 0xAA);
    NoiseProfile profile = FlatProfile(30);
    NoiseFilterParams params = Params(128, 5);
    bool Go(Watch& watch) {
        return ProcessTiles(tiles.grid, kSide, kSide, destination.data(), source.data(), 24,
                            source.size(), &params, &profile, false, &watch, Watched, nullptr,
                            nullptr);
    }
    bool Written(int tile) const {  // the tile's inner rectangle no longer holds the fill
        const TileRect& r = tiles.records[tile].inner;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left * 3; x < r.right * 3; ++x)
                if (destination[std::size_t(y) * Stride24(kSide) + x] == 0xAA) return false;
        return true;
    }
};

TEST(TileThreads, CallbacksStayOnTheCallersThreadOneAtATime) {
    struct Case {
        int skip, stopAfter;
        bool result;
    };
    for (const Case c :
         {Case{-1, -1, true}, Case{35, -1, false}, Case{20, -1, true}, Case{-1, 9, false}}) {
        SCOPED_TRACE(testing::Message() << "skip " << c.skip << ", stop after " << c.stopAfter);
        const EngineThreadsScope threads(3);
        SmallRun run;
        Watch watch;
        watch.skip = c.skip, watch.stopAfter = c.stopAfter;
        EXPECT_EQ(run.Go(watch), c.result);
        EXPECT_FALSE(watch.overlapped);
        EXPECT_FALSE(watch.elsewhere);
        EXPECT_TRUE(std::is_sorted(watch.handedOut.begin(), watch.handedOut.end()));
        // Every tile handed out and not skipped finished and was written whole; after a stop
        // nothing more was handed out and no further tile callback came.
        for (int i = 0; i < 36; ++i) {
            const bool handed = std::count(watch.handedOut.begin(), watch.handedOut.end(), i) == 1;
            const bool done = handed && i != c.skip;
            EXPECT_EQ(run.tiles.records[i].filtered, done ? 1 : 0) << i;
            EXPECT_EQ(run.Written(i), done) << i;
        }
        if (c.stopAfter < 0) {
            EXPECT_EQ(watch.handedOut.size(), 36u);
            EXPECT_EQ(watch.finished.size(), c.skip < 0 ? 36u : 35u);
        } else {
            EXPECT_EQ(watch.finished.back(), c.stopAfter);
            EXPECT_LE(watch.handedOut.size() - watch.finished.size(), 2u);  // in flight with it
        }
    }
}

TEST(TileThreads, ACallbackThrowingEndsTheRunAfterTheTilesInFlight) {
    const EngineThreadsScope threads(4);
    SmallRun run;
    Watch watch;
    watch.throwAfter = 5;
    EXPECT_THROW(run.Go(watch), std::runtime_error);
    EXPECT_EQ(watch.finished.back(), 5);
    EXPECT_LE(watch.handedOut.size() - watch.finished.size(), 3u);
}

// Out of memory for a tile's buffers, on the caller's thread (1) or on the workers (3): every
// entry point reports false, nothing escapes or ends the process, and with memory back the same
// call succeeds (LSan, in the sanitizer run, finds nothing left behind).
TEST(TileThreads, OutOfMemoryIsTheRunsFailure) {
    if (!kAllocationFailuresWork) GTEST_SKIP() << "allocations cannot be refused here";
    constexpr int kW = 1300, kH = 700;  // six tiles, the largest 632 x 632 with margins
    const auto colour = ColourImage8(kW, kH, 8.0);
    const auto samples = ColourImage16(kW, kH, 2000.0);
    std::vector<uint8_t> out8(colour.size());
    std::vector<uint16_t> out16(samples.size());
    const NoiseFilterParams params = Params(100, 0);
    const std::function<bool(TileGrid&)> calls[] = {
        [&](TileGrid& g) {
            NoiseProfile p = FlatProfile(40);
            return FilterImage(kW, kH, Stride24(kW), colour.data(), out8.data(), nullptr, nullptr,
                               24, g, p, &params, nullptr, nullptr, nullptr);
        },
        [&](TileGrid& g) {
            NoiseProfile p = FlatProfile(40);
            return FilterImage(kW, kH, Stride24(kW), nullptr, out8.data(), samples.data(),
                               out16.data(), 48, g, p, &params, nullptr, nullptr, nullptr);
        },
        [&](TileGrid& g) {
            NoiseProfile p = FreshProfile();
            return BuildImageProfile(g, kW, kH, Stride24(kW), 24, colour.data(), p, nullptr,
                                     nullptr, nullptr);
        }};
    for (int threads : {1, 3})
        for (int call = 0; call < 3; ++call) {
            SCOPED_TRACE(testing::Message() << threads << " threads, call " << call);
            const EngineThreadsScope scope(threads);
            Grid grid(kW, kH);
            {
                const AllocationFailure noMemory(1 << 20);
                EXPECT_FALSE(calls[call](grid.grid));
                EXPECT_GT(noMemory.Refused(), 0);
            }
            EXPECT_TRUE(calls[call](grid.grid));
        }
    TileGrid none;
    {
        const AllocationFailure noMemory(1);
        EXPECT_FALSE(CreateTileGrid(kW, kH, none));
    }
    EXPECT_FALSE(CreateTileGrid(1 << 30, 1 << 30, none));  // more tiles than a grid counts
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.tiles, nullptr);
}

// Filtering a buffer into itself reads margins its neighbours have written: the order of the
// records decides, so such a run keeps to one thread.
TEST(TileThreads, FilteringInPlaceGivesOneThreadsResult) {
    std::vector<uint8_t> results[2];
    for (int threads : {1, 4}) {
        const EngineThreadsScope scope(threads);
        SmallRun run;
        std::vector<uint8_t>& image = results[threads == 4];
        image = run.source;
        EXPECT_TRUE(ProcessTiles(run.tiles.grid, kSide, kSide, image.data(), image.data(), 24,
                                 image.size(), &run.params, &run.profile, false, nullptr, nullptr,
                                 nullptr, nullptr));
    }
    EXPECT_EQ(results[0], results[1]);
}

}  // namespace
}  // namespace stillpix
