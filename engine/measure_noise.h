// Noise measurement of one pyramid level of one tile (profiling mode of the 8-bit pipeline).
#pragma once

#include <cstdint>

#include "engine/noise_profile.h"
#include "engine/profile_accumulator.h"

namespace stillpix {

// Source planes of one level, unpadded rows (stride = width).
struct LevelPlanes16 {
    const int16_t* y = nullptr;
    const int16_t* cr = nullptr;
    const int16_t* cb = nullptr;
    int width = 0;
    int height = 0;
    // Grey input (1 or 2 bytes per pixel). Its chrominance is still measured, but the Y values
    // are not pulled down by the chrominance spreads, which mean nothing for grey.
    bool grey = false;
};

// Measures level `levelIndex` into accumulator block levelIndex and raises band's counts.
// Also hands the second-round flag down: before measuring, the flag of block L + 1 is set to 1
// (L = 0) or to the flag of block L; the measurement may then clear it.
// `tileCount` is the tile grid's count (it sets the block step at level 0).
void MeasureLevel(const LevelPlanes16& planes, int levelIndex, int tileCount, ProfileBand& band,
                  ProfileAccumulator& accumulator);

}  // namespace stillpix
