// The per-run tables every pyramid level reads: threshold table, per-band degree, band count.
// Built once per ProcessTiles call and passed down read-only. Internal to the engine.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/noise_filter_params.h"
#include "engine/noise_profile.h"

namespace stillpix {

constexpr int kContextBands = 10;
constexpr int kThresholdBins = 100;
constexpr int kMaxLevels = kProfileBandSlots;  // only five ProfileBand records exist

struct FilterContext {
    int32_t lastLevel = 0;                                     // profile band count - 1
    const int16_t (*suppression)[3] = nullptr;                 // NoiseFilterParams triples
    int32_t threshold[kContextBands][3][kThresholdBins] = {};  // [band][Y, Cr, Cb][bin]
    uint32_t sharpening = 0;
    int32_t degree[kContextBands] = {};  // 0 strongest .. 2 lightest

    // T(channel) at a luminance bin; bins past the filled ones hold 0.
    int32_t Threshold(int level, int channel, int bin) const {
        return threshold[level][channel][bin];
    }
};

// The band count a profile can really drive: 1..5, or 0 when the profile has no band.
inline int UsableBandCount(const NoiseProfile& profile) {
    return profile.bandCount < 1 ? 0 : std::min<int>(profile.bandCount, kMaxLevels);
}

// Fills `context` for one run. `params` may be null (profiling): then only the level count is
// set. `sixteenBit` selects the threshold scale (<< 7 instead of << 6).
// The profile must have at least one band.
void BuildFilterContext(const NoiseProfile& profile, const NoiseFilterParams* params,
                        bool sixteenBit, FilterContext& context);

// Degree of one band from the mode; mode 0 decides from the band's thresholds and Y suppression.
// Modes above 3 leave 0. Exposed for tests.
int32_t BandDegree(uint32_t mode, int band, const int32_t* thresholdY, int binCount,
                   int32_t suppressionY);

}  // namespace stillpix
