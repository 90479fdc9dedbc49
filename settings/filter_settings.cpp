#include "settings/filter_settings.h"

#include <algorithm>
#include <bit>

#include "settings/record_codec.h"

namespace stillpix {

std::array<int32_t, kFilterFields> FilterFieldValues(const FilterSettings& settings) {
    return std::bit_cast<std::array<int32_t, kFilterFields>>(settings);
}

FilterSettings FilterSettingsFromValues(const std::array<int32_t, kFilterFields>& values) {
    return std::bit_cast<FilterSettings>(values);
}

FilterSettings ClampFilterSettings(const FilterSettings& settings) {
    auto values = FilterFieldValues(settings);
    for (int i = 0; i < kFilterFields; ++i)
        values[i] = std::clamp(values[i], kFilterFieldTable[i].low, kFilterFieldTable[i].high);
    return FilterSettingsFromValues(values);
}

std::array<uint8_t, kFilterSettingsBytes> EncodeFilterSettings(const FilterSettings& settings) {
    std::array<uint8_t, kFilterSettingsBytes> bytes{};
    const auto values = FilterFieldValues(settings);
    for (int i = 0; i < kFilterFields; ++i) PutI32(bytes, 4 * i, values[i]);
    return bytes;
}

bool DecodeFilterSettings(std::span<const uint8_t> bytes, FilterSettings& out) {
    if (bytes.size() < kFilterSettingsBytes) return false;
    std::array<int32_t, kFilterFields> values{};
    for (int i = 0; i < kFilterFields; ++i) values[i] = GetI32(bytes, 4 * i);
    out = ClampFilterSettings(FilterSettingsFromValues(values));
    return true;
}

NoiseFilterParams ToNoiseFilterParams(const FilterSettings& raw) {
    // Clamped, every operand below is non-negative and every result fits 16 bits.
    const FilterSettings s = ClampFilterSettings(raw);
    NoiseFilterParams params;
    const int32_t luminance = s.luminanceNoiseLevel + 20;
    const int32_t crBase = (s.colourNoiseLevel + 20) * s.crWeight * 25 / 100;
    const int32_t cbBase = (s.colourNoiseLevel + 20) * s.cbWeight * 25 / 100;
    for (int b = 0; b < kFilterBands; ++b) {
        const int32_t band = s.bandNoiseLevel[b] + 20;
        params.noiseLevelAdjustment[b][kChannelY] =
            static_cast<int16_t>(luminance * band * 25 / 100 - 100);
        params.noiseLevelAdjustment[b][kChannelCr] =
            static_cast<int16_t>(crBase * band * 5 / 100 - 100);
        params.noiseLevelAdjustment[b][kChannelCb] =
            static_cast<int16_t>(cbBase * band * 5 / 100 - 100);

        const int32_t lumaAmount = s.luminanceSuppression * s.bandSuppression[b] * 25 / 100;
        const int32_t colourAmount = s.colourSuppression * s.bandSuppression[b] * 25 / 100;
        params.suppression[b][kChannelY] = static_cast<int16_t>(lumaAmount * 128 / 100);
        params.suppression[b][kChannelCr] = static_cast<int16_t>(colourAmount * 128 / 100);
        params.suppression[b][kChannelCb] = static_cast<int16_t>(colourAmount * 128 / 100);
    }
    params.sharpening = static_cast<uint32_t>(s.sharpening + 5);
    params.processingDegreeMode = static_cast<uint32_t>(s.processingDegree);
    return params;
}

}  // namespace stillpix
