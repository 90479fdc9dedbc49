// The overlapping 600 x 600 tiles of an image, with their filtered and profiled flags.
#pragma once

#include <cstdint>

namespace stillpix {

constexpr int kTileSize = 600;
constexpr int kMinExtraTile = 65;  // a smaller remainder is absorbed by the last column or row
constexpr int kTileMargin = 16;

struct TileRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

struct TileRecord {
    TileRect inner;
    TileRect margin;  // inner grown by 16 on every side, clipped to the image
    int32_t reserved[2] = {0, 0};
    uint8_t filtered = 0;
    uint8_t profiled = 0;
    int32_t elapsedMs = 0;  // wall time of the tile in its last run
    uint8_t border = 0;     // first or last row or column of the grid
};
static_assert(sizeof(TileRecord) == 52);

struct TileGrid {
    int32_t count = 0;
    TileRecord* tiles = nullptr;  // owned; released by FreeTileGrid
};

// Cuts width x height into tiles stored in reverse raster order. False, with an empty grid, only
// when the tile array cannot be had (out of memory, or more tiles than a grid counts).
bool CreateTileGrid(int width, int height, TileGrid& grid);
// Releases the tile array: true when the grid was already empty, false after releasing.
bool FreeTileGrid(TileGrid& grid);

}  // namespace stillpix
