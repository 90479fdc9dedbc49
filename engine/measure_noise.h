// Noise measurement of one pyramid level of one tile (profiling mode of the 8-bit pipeline).
#pragma once

#include <cstdint>
#include <vector>

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

// What one measured block of a level says, whatever the pass.
struct BlockStats {
    int bin = 0;
    int spread = 0;      // deviation of the points' mean neighbour Y
    int deviation[3]{};  // S_Y, S_Cr, S_Cb
    int value[3]{};      // lower median of the points' largest differences
};

// The measured blocks of one level of one tile, in block order.
struct LevelBlocks {
    bool measured = false;  // false for a level without planes
    bool grey = false;
    std::vector<BlockStats> blocks;
};

// One tile's measurement, taken apart from the run's profile so that tiles can be measured on any
// thread and merged into the profile in tile order.
struct TileMeasurement {
    int tileCount = 0;
    ProfileBand known[kProfileBandSlots];  // the run's bands when the tile started
    LevelBlocks levels[kProfileBandSlots];
};

// Measures the blocks of one level. Blocks of a bin that `known` counts as well measured are left
// out: counts only grow during a run, so merging later would leave them out too.
void CollectBlocks(const LevelPlanes16& planes, int levelIndex, int tileCount,
                   const ProfileBand& known, LevelBlocks& out);

// The passes over one level's blocks: skips the blocks of bins `band` now counts as well
// measured, raises band's counts, appends to accumulator block levelIndex and hands the
// second-round flag down (see MeasureLevel).
void AcceptBlocks(const LevelBlocks& blocks, int levelIndex, ProfileBand& band,
                  ProfileAccumulator& accumulator);

// Measures level `levelIndex` into accumulator block levelIndex and raises band's counts:
// CollectBlocks then AcceptBlocks.
// Also hands the second-round flag down: before measuring, the flag of block L + 1 is set to 1
// (L = 0) or to the flag of block L; the measurement may then clear it.
// `tileCount` is the tile grid's count (it sets the block step at level 0).
void MeasureLevel(const LevelPlanes16& planes, int levelIndex, int tileCount, ProfileBand& band,
                  ProfileAccumulator& accumulator);

}  // namespace stillpix
