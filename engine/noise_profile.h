// The noise profile: per band and luminosity bin the noise levels of Y, Cr, Cb and their support.
// Copied whole (1004 bytes) between the engine, the worker, the document and the profile store.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <type_traits>

namespace stillpix {

constexpr int kProfileBandSlots = 5;
constexpr int kProfileBands = 4;  // "High", "Mid", "Low", "Very Low"
constexpr int kProfileBinSlots = 16;
constexpr int kProfileBins = 11;  // bin k covers 8-bit Y values k*2048 .. k*2048+2047
constexpr int16_t kMaxProfileCount = 32767;

struct ProfileBand {
    int32_t binCount = 0;
    int32_t bandIndex = 0;
    int16_t levels[kProfileBinSlots][3] = {};  // [bin][Y, Cr, Cb]
    int16_t counts[kProfileBinSlots][3] = {};  // measurement units behind each level; 0 = none
};
static_assert(sizeof(ProfileBand) == 200);

struct NoiseProfile {
    int32_t bandCount = 0;
    ProfileBand bands[kProfileBandSlots];
};
static_assert(sizeof(NoiseProfile) == 1004);
static_assert(std::is_trivially_copyable_v<NoiseProfile>);  // copied whole between subsystems

constexpr std::size_t kNoiseProfileBytes = 1004;

// The record as it stands, little-endian, field by field.
std::array<uint8_t, kNoiseProfileBytes> EncodeNoiseProfile(const NoiseProfile& profile);
// False when the size is not exactly 1004 bytes; `out` is untouched then.
bool DecodeNoiseProfile(std::span<const uint8_t> bytes, NoiseProfile& out);

// Band count 4; each band gets bin count 11 and its index; levels and counts zeroed unless
// keepValues.
void ResetProfile(NoiseProfile& profile, bool keepValues);

// A reset profile whose every band and bin holds `level` for Y, Cr and Cb, each from one
// measurement: a known threshold for filtering without measuring.
NoiseProfile FlatProfile(int16_t level);

// Two passes of three-tap curve smoothing per band and channel, capped at 21906.
void SmoothProfile(NoiseProfile& profile);

}  // namespace stillpix
