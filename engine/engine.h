// The engine's entry points: the tile loop, whole-image filtering and image profiling.
// No files; tiles run on worker threads of the call, never changing the output, and stopping is
// cooperative through the tile callback, which is always called on the caller's thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/noise_filter_params.h"
#include "engine/noise_profile.h"
#include "engine/profile_accumulator.h"
#include "engine/tile_grid.h"

namespace stillpix {

// ProgressRecord::stage.
constexpr int32_t kBeforeTile = 0;
constexpr int32_t kAfterTile = 1;

struct ProgressRecord {
    int32_t filtering = 0;  // 1 filtering, 0 profiling
    int32_t tileIndex = 0;
    int32_t stage = kBeforeTile;
    TileGrid* tiles = nullptr;
    void* callerData = nullptr;
};

// Non-zero to go on; 0 before a tile skips it, 0 after a tile stops the run.
using TileCallback = int (*)(ProgressRecord& record);
// Stage 0: the buffer holding the tile's margin rectangle (unpadded rows), or null to skip
// the tile. Stage 1: the caller takes the result; the return value is ignored.
using TileBufferCallback = uint8_t* (*)(ProgressRecord& record);

// Threads a tile loop runs its tiles on: 0 (the default) one per core of the machine, 1 every
// tile on the caller's thread. Process-wide; a run reads it as it starts.
void SetEngineThreads(int count);
// The thread count runs use now: at least 1.
int EngineThreads();

// Filters (or, with profiling, measures) every tile of `tiles`, handing them out in record order
// to EngineThreads() threads. Callbacks are called on the caller's thread, one at a time: stage
// 0 in record order as tiles are handed out, stage 1 as they finish. A stop (0 after a tile)
// lets the tiles in flight finish and write their results, without further tile callbacks.
// Measurements are merged into the profile in record order, so the profile does not depend on
// the thread count. Running out of memory on any thread fails the run: the tiles in flight
// finish, everything the run allocated is released and the result is false.
// Bits per pixel: 24 (B,G,R), 32 (B,G,R,X), 8 (grey), 48 and 16 (16-bit little-endian samples).
// Filtering reads `source` and writes inner rectangles into `destination`; profiling reads
// `destination` and writes nothing. Returns whether the last tile in record order completed;
// false at once on a stop, and false without touching anything for refused arguments.
bool ProcessTiles(TileGrid& tiles, int width, int height, uint8_t* destination,
                  const uint8_t* source, int bitsPerPixel, std::size_t bufferSize,
                  const NoiseFilterParams* params, NoiseProfile* profile, bool profiling,
                  void* callerData, TileCallback tileCallback, ProfileAccumulator* accumulator,
                  TileBufferCallback tileBufferCallback);

// Whole-image filtering. 8-bit layouts filter source8 into dest8 (a non-null 16-bit pointer
// takes the place of its 8-bit counterpart). 16-bit layouts filter source16 into dest16
// (unpadded, top-down) and then write the bottom-up display copy (high bytes) into dest8.
// False without writing anything when the profile has no band, the grid is empty or the
// arguments are refused; false too when memory runs out (tiles finished before stay written).
bool FilterImage(int width, int height, int stride8, const uint8_t* source8, uint8_t* dest8,
                 const uint16_t* source16, uint16_t* dest16, int bitsPerPixel, TileGrid& tiles,
                 NoiseProfile& profile, const NoiseFilterParams* params, void* callerData,
                 TileCallback tileCallback, TileBufferCallback tileBufferCallback);

// Measures an 8-bit image into `profile` (values kept: the caller clears it for a fresh one).
// Returns true after a complete run; false when refused, skipped at the last tile, stopped or
// out of memory.
bool BuildImageProfile(TileGrid& tiles, int width, int height, int stride, int bitsPerPixel,
                       const uint8_t* image, NoiseProfile& profile, void* callerData,
                       TileCallback tileCallback, TileBufferCallback tileBufferCallback);

}  // namespace stillpix
