// One filter as the user sets it: sixteen signed 32-bit fields, stored as exactly these 64
// bytes, and its conversion into the engine's parameter block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

#include "engine/noise_filter_params.h"

namespace stillpix {

constexpr int kFilterFields = 16;
constexpr int kFilterBands = 4;  // "High", "Mid", "Low", "Very Low"

struct FilterSettings {
    int32_t processingDegree = 0;               // 0 "Auto", 1 "High", 2 "Normal", 3 "Low"
    int32_t luminanceNoiseLevel = 0;            // -20..40, one step is 5 %
    int32_t colourNoiseLevel = 0;               // -20..40
    int32_t bandNoiseLevel[kFilterBands] = {};  // -20..40 per band
    int32_t sharpening = 0;                     // -5..5
    int32_t crWeight = 20;                      // 20 = 100 %; nothing edits it
    int32_t cbWeight = 20;
    int32_t luminanceSuppression = 20;                         // 0..20, one step is 5 %
    int32_t colourSuppression = 20;                            // 0..20
    int32_t bandSuppression[kFilterBands] = {20, 20, 20, 20};  // 0..20 per band

    bool operator==(const FilterSettings&) const = default;
};
static_assert(sizeof(FilterSettings) == 64);
static_assert(std::is_trivially_copyable_v<FilterSettings>);
static_assert(offsetof(FilterSettings, sharpening) == 7 * 4);
static_assert(offsetof(FilterSettings, bandSuppression) == 12 * 4);

constexpr std::size_t kFilterSettingsBytes = 64;

// The one table of the record's fields, by field number: the command-line name, the range and
// the neutral value. The pane, the command line and the clamping all read it.
struct FilterFieldInfo {
    const char* key;
    int32_t low;
    int32_t high;
    int32_t neutral;
};
// clang-format off
inline constexpr std::array<FilterFieldInfo, kFilterFields> kFilterFieldTable = {{
    {"degree",                 0,  3,  0},
    {"luminance-level",      -20, 40,  0},
    {"color-level",          -20, 40,  0},
    {"high-level",           -20, 40,  0},
    {"mid-level",            -20, 40,  0},
    {"low-level",            -20, 40,  0},
    {"very-low-level",       -20, 40,  0},
    {"sharpening",            -5,  5,  0},
    {"cr-weight",             20, 20, 20},
    {"cb-weight",             20, 20, 20},
    {"luminance-suppression",  0, 20, 20},
    {"color-suppression",      0, 20, 20},
    {"high-suppression",       0, 20, 20},
    {"mid-suppression",        0, 20, 20},
    {"low-suppression",        0, 20, 20},
    {"very-low-suppression",   0, 20, 20},
}};
// clang-format on

// The fields by number, 0..15, in the record's order.
std::array<int32_t, kFilterFields> FilterFieldValues(const FilterSettings& settings);
FilterSettings FilterSettingsFromValues(const std::array<int32_t, kFilterFields>& values);

// Every field brought into its range (the channel weights are always 20).
FilterSettings ClampFilterSettings(const FilterSettings& settings);

std::array<uint8_t, kFilterSettingsBytes> EncodeFilterSettings(const FilterSettings& settings);
// The first 64 bytes, clamped into range; false (out untouched) when fewer than 64 are given.
bool DecodeFilterSettings(std::span<const uint8_t> bytes, FilterSettings& out);

// The engine parameters of a filter: noise-level adjustments and suppression amounts per band
// and channel, sharpening word and processing degree, in the integer arithmetic of the record
// (truncating divisions, in the written order). Fields out of range are clamped first.
NoiseFilterParams ToNoiseFilterParams(const FilterSettings& settings);

}  // namespace stillpix
