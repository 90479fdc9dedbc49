// Cutting an image into overlapping tiles, stored in reverse raster order.
#include "engine/tile_grid.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <new>

namespace stillpix {

namespace {

int TileCountAlong(int size) {
    const int whole = size / kTileSize;
    const int count = whole + (size % kTileSize >= kMinExtraTile ? 1 : 0);
    return std::max(count, 1);
}

// Start and exclusive end of tile `index` of `count` along a side of `size` pixels; the last
// tile takes whatever remains.
void TileSpan(int index, int count, int size, int32_t& start, int32_t& end) {
    start = std::min(index * kTileSize, size);
    end = index == count - 1 ? size : std::min(start + kTileSize, size);
}

}  // namespace

bool CreateTileGrid(int width, int height, TileGrid& grid) {
    FreeTileGrid(grid);
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int columns = TileCountAlong(width);
    const int rows = TileCountAlong(height);
    const int64_t count = int64_t{columns} * rows;
    if (count > std::numeric_limits<int32_t>::max()) return false;
    grid.tiles = new (std::nothrow) TileRecord[static_cast<std::size_t>(count)]();
    if (grid.tiles == nullptr) return false;
    grid.count = static_cast<int32_t>(count);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            TileRecord& tile = grid.tiles[grid.count - 1 - (r * columns + c)];
            TileSpan(c, columns, width, tile.inner.left, tile.inner.right);
            TileSpan(r, rows, height, tile.inner.top, tile.inner.bottom);
            tile.margin.left = std::max(tile.inner.left - kTileMargin, 0);
            tile.margin.top = std::max(tile.inner.top - kTileMargin, 0);
            tile.margin.right = std::min(tile.inner.right + kTileMargin, width);
            tile.margin.bottom = std::min(tile.inner.bottom + kTileMargin, height);
            tile.border = (r == 0 || r == rows - 1 || c == 0 || c == columns - 1) ? 1 : 0;
        }
    }
    return true;
}

bool FreeTileGrid(TileGrid& grid) {
    if (grid.tiles == nullptr) {
        grid.count = 0;
        return true;
    }
    delete[] grid.tiles;
    grid.tiles = nullptr;
    grid.count = 0;
    return false;
}

}  // namespace stillpix
