// The engine's per-run parameter block; made by the settings code, read-only for the engine.
#pragma once

#include <cstdint>

namespace stillpix {

constexpr int kParamBands = 5;  // five triples, the fifth never read
constexpr int kChannelY = 0;
constexpr int kChannelCr = 1;
constexpr int kChannelCb = 2;

struct NoiseFilterParams {
    uint32_t unused = 0;
    // Per band (0 "High" .. 3 "Very Low") and channel Y, Cr, Cb: threshold = level x (adj + 128) /
    // 128.
    int16_t noiseLevelAdjustment[kParamBands][3] = {};
    // Per band and channel in 1/128 units: 128 suppresses the band fully, 0 keeps it.
    int16_t suppression[kParamBands][3] = {};
    uint32_t sharpening = 0;            // 0 none; the engine expects 0..20
    uint32_t processingDegreeMode = 0;  // 0 automatic per band, 1..3 degree 0..2 for every band

    bool operator==(const NoiseFilterParams&) const = default;
};
static_assert(sizeof(NoiseFilterParams) == 72);

}  // namespace stillpix
