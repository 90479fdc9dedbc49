// Tiling: counts, sizes, margins, reverse order and border flags worked out by hand.
#include <gtest/gtest.h>

#include <array>

#include "tests/engine/engine_test_support.h"

namespace stillpix {
namespace {

std::array<int32_t, 4> Edges(const TileRect& r) { return {r.left, r.top, r.right, r.bottom}; }

struct TileCase {
    int width, height, count;
    int record;  // records run in reverse raster order: record 0 is the last tile of the last row
    std::array<int32_t, 4> inner, margin;  // left, top, right, bottom
    uint8_t border;
};

TEST(TileGrid, CountsSizesMarginsAndOrder) {
    // clang-format off
    const TileCase cases[] = {
        {1264, 600, 2, 0, {600, 0, 1264, 600}, {584, 0, 1264, 600}, 1},    // remainder 64 joins the last column
        {1265, 600, 3, 0, {1200, 0, 1265, 600}, {1184, 0, 1265, 600}, 1},  // 65 gets its own tile
        {1265, 600, 3, 1, {600, 0, 1200, 600}, {584, 0, 1216, 600}, 1},
        {50, 50, 1, 0, {0, 0, 50, 50}, {0, 0, 50, 50}, 1},                 // the margin is the image
        {1800, 1800, 9, 0, {1200, 1200, 1800, 1800}, {1184, 1184, 1800, 1800}, 1},
        {1800, 1800, 9, 1, {600, 1200, 1200, 1800}, {584, 1184, 1216, 1800}, 1},
        {1800, 1800, 9, 4, {600, 600, 1200, 1200}, {584, 584, 1216, 1216}, 0},   // the only inner tile
        {1800, 1800, 9, 8, {0, 0, 600, 600}, {0, 0, 616, 616}, 1},
        {700, 700, 4, 3, {0, 0, 600, 600}, {0, 0, 616, 616}, 1},
    };
    // clang-format on
    for (const TileCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << ", record " << c.record);
        const test::Grid g(c.width, c.height);
        ASSERT_EQ(g.grid.count, c.count);
        const TileRecord& t = g.grid.tiles[c.record];
        EXPECT_EQ(Edges(t.inner), c.inner);
        EXPECT_EQ(Edges(t.margin), c.margin);
        EXPECT_EQ(t.border, c.border);
        EXPECT_EQ(t.filtered + t.profiled, 0);
    }
    const test::Grid three(1800, 1800);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(three.grid.tiles[i].border, i == 4 ? 0 : 1) << i;
}

TEST(TileGrid, FreeReportsWhetherTheGridWasAlreadyEmpty) {
    TileGrid grid;
    EXPECT_TRUE(FreeTileGrid(grid));
    CreateTileGrid(700, 700, grid);
    EXPECT_FALSE(FreeTileGrid(grid));
    EXPECT_EQ(grid.tiles, nullptr);
    EXPECT_TRUE(FreeTileGrid(grid));
}

}  // namespace
}  // namespace stillpix
