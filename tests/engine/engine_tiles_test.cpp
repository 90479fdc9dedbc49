// Tiling: counts, sizes, margins, reverse order and border flags worked out by hand.
#include <gtest/gtest.h>

#include "engine/tile_grid.h"

namespace stillpix {
namespace {

struct Grid {
    TileGrid grid;
    Grid(int w, int h) { CreateTileGrid(w, h, grid); }
    ~Grid() { FreeTileGrid(grid); }
    // The tile at grid row r, column c (records are stored in reverse raster order).
    const TileRecord& At(int r, int c, int columns) const { return grid.tiles[grid.count - 1 - (r * columns + c)]; }
};

TEST(TileGrid, RemainderBelowSixtyFiveIsAbsorbedByTheLastColumn) {
    Grid g(1264, 600);
    ASSERT_EQ(g.grid.count, 2);
    const TileRecord& last = g.At(0, 1, 2);
    EXPECT_EQ(last.inner.left, 600);
    EXPECT_EQ(last.inner.right, 1264);   // 664 wide
    EXPECT_EQ(last.margin.left, 584);
    EXPECT_EQ(last.margin.right, 1264);
    EXPECT_EQ(last.margin.top, 0);
    EXPECT_EQ(last.margin.bottom, 600);
}

TEST(TileGrid, RemainderOfSixtyFiveGetsItsOwnTile) {
    Grid g(1265, 600);
    ASSERT_EQ(g.grid.count, 3);
    EXPECT_EQ(g.At(0, 2, 3).inner.left, 1200);
    EXPECT_EQ(g.At(0, 2, 3).inner.right, 1265);
    EXPECT_EQ(g.At(0, 1, 3).inner.right, 1200);
    EXPECT_EQ(g.At(0, 1, 3).margin.left, 584);
    EXPECT_EQ(g.At(0, 1, 3).margin.right, 1216);
}

TEST(TileGrid, SmallImageIsOneTileWhoseMarginIsTheImage) {
    Grid g(50, 50);
    ASSERT_EQ(g.grid.count, 1);
    const TileRecord& t = g.grid.tiles[0];
    EXPECT_EQ(t.inner.right, 50);
    EXPECT_EQ(t.inner.bottom, 50);
    EXPECT_EQ(t.margin.left, 0);
    EXPECT_EQ(t.margin.top, 0);
    EXPECT_EQ(t.margin.right, 50);
    EXPECT_EQ(t.margin.bottom, 50);
    EXPECT_EQ(t.border, 1);
    EXPECT_EQ(t.filtered, 0);
    EXPECT_EQ(t.profiled, 0);
}

TEST(TileGrid, RecordsRunInReverseRasterOrderWithBorderFlags) {
    Grid g(1800, 1800);   // 3 x 3 tiles
    ASSERT_EQ(g.grid.count, 9);
    // Record 0 is the last tile of the last row.
    EXPECT_EQ(g.grid.tiles[0].inner.left, 1200);
    EXPECT_EQ(g.grid.tiles[0].inner.top, 1200);
    EXPECT_EQ(g.grid.tiles[8].inner.left, 0);
    EXPECT_EQ(g.grid.tiles[8].inner.top, 0);
    // Record 1 is row 2, column 1.
    EXPECT_EQ(g.grid.tiles[1].inner.left, 600);
    EXPECT_EQ(g.grid.tiles[1].inner.top, 1200);
    for (int i = 0; i < 9; ++i) EXPECT_EQ(g.grid.tiles[i].border, i == 4 ? 0 : 1) << i;
    const TileRecord& centre = g.grid.tiles[4];
    EXPECT_EQ(centre.margin.left, 584);
    EXPECT_EQ(centre.margin.top, 584);
    EXPECT_EQ(centre.margin.right, 1216);
    EXPECT_EQ(centre.margin.bottom, 1216);
}

TEST(TileGrid, FreeReportsWhetherTheGridWasAlreadyEmpty) {
    TileGrid grid;
    EXPECT_TRUE(FreeTileGrid(grid));
    CreateTileGrid(700, 700, grid);
    EXPECT_EQ(grid.count, 4);   // 700 = 600 + 100
    EXPECT_FALSE(FreeTileGrid(grid));
    EXPECT_EQ(grid.tiles, nullptr);
    EXPECT_TRUE(FreeTileGrid(grid));
}

}  // namespace
}  // namespace stillpix
