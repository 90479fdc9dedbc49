// The tile loop behind ProcessTiles, for the entry points that build on it: it lets an exception
// (std::bad_alloc of a tile on any thread) through, once every tile in flight has finished, so
// that the entry point can tell a failure from a skipped or stopped run.
#pragma once

#include "engine/engine.h"

namespace stillpix {

bool RunTileLoop(TileGrid& tiles, int width, int height, uint8_t* destination,
                 const uint8_t* source, int bitsPerPixel, std::size_t bufferSize,
                 const NoiseFilterParams* params, NoiseProfile* profile, bool profiling,
                 void* callerData, TileCallback tileCallback, ProfileAccumulator* accumulator,
                 TileBufferCallback tileBufferCallback);

}  // namespace stillpix
