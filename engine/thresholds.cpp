// Threshold table and per-band processing degree of one run.
#include <algorithm>
#include <cstdint>

#include "engine/filter_context.h"

namespace stillpix {

namespace {

constexpr int64_t kDegreeLimit = 21907;  // one past the largest 8-bit Y value

int32_t ScaledThreshold(int16_t level, int16_t adjustment, int shift) {
    // |level x (adjustment + 128)| stays below 2^31 for every i16 pair, so 32 bits hold it.
    const int32_t scaled = (int32_t{level} * (int32_t{adjustment} + 128)) >> 7;
    return static_cast<int32_t>(static_cast<uint32_t>(scaled) << shift);
}

}  // namespace

int32_t BandDegree(uint32_t mode, int band, const int32_t* thresholdY, int binCount,
                   int32_t suppressionY) {
    switch (mode) {
        case 0: break;
        case 1: return 0;
        case 2: return 1;
        case 3: return 2;
        default: return 0;  // no degree is set for unknown modes; the zeroed array gives 0
    }
    int64_t sum = 0;
    for (int b = 0; b < binCount; ++b) sum += thresholdY[b];
    const int64_t mean = binCount > 0 ? sum / binCount : 0;
    const int64_t n = band + 1;
    if (n * mean * 10 >= kDegreeLimit && suppressionY >= 77) return 0;
    if (n * mean * 15 < kDegreeLimit || suppressionY < 65) return 2;
    return 1;
}

void BuildFilterContext(const NoiseProfile& profile, const NoiseFilterParams* params,
                        bool sixteenBit, FilterContext& context) {
    context = FilterContext{};
    const int bands = UsableBandCount(profile);
    context.lastLevel = bands - 1;
    if (params == nullptr) return;
    context.suppression = params->suppression;
    context.sharpening = params->sharpening;
    const int shift = sixteenBit ? 7 : 6;
    for (int k = 0; k < bands; ++k) {
        const ProfileBand& band = profile.bands[k];
        const int bins = std::clamp<int>(band.binCount, 0, kProfileBinSlots);
        for (int c = 0; c < 3; ++c)
            for (int b = 0; b < bins; ++b)
                context.threshold[k][c][b] =
                    ScaledThreshold(band.levels[b][c], params->noiseLevelAdjustment[k][c], shift);
        context.degree[k] = BandDegree(params->processingDegreeMode, k, context.threshold[k][0],
                                       bins, params->suppression[k][0]);
    }
}

}  // namespace stillpix
