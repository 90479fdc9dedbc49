// The profile record: its byte form, its initialisation and the curve smoothing.
#include "engine/noise_profile.h"

#include <algorithm>
#include <cstring>

#include "engine/little_endian.h"

namespace stillpix {
namespace {

constexpr int16_t kMaxLevel = 21906;  // the largest 8-bit Y value

int ClampedBinCount(const ProfileBand& band) {
    return std::clamp<int>(band.binCount, 0, kProfileBinSlots);
}

}  // namespace

std::array<uint8_t, kNoiseProfileBytes> EncodeNoiseProfile(const NoiseProfile& profile) {
    std::array<uint8_t, kNoiseProfileBytes> out{};
    LittleEndianWriter w(out);
    w.Field(profile.bandCount);
    for (const ProfileBand& band : profile.bands) {
        w.Field(band.binCount);
        w.Field(band.bandIndex);
        for (const auto& triple : band.levels)
            for (int16_t v : triple) w.Field(v);
        for (const auto& triple : band.counts)
            for (int16_t v : triple) w.Field(v);
    }
    return out;
}

bool DecodeNoiseProfile(std::span<const uint8_t> bytes, NoiseProfile& out) {
    if (bytes.size() != kNoiseProfileBytes) return false;
    NoiseProfile profile;
    LittleEndianReader r(bytes);
    r.Field(profile.bandCount);
    for (ProfileBand& band : profile.bands) {
        r.Field(band.binCount);
        r.Field(band.bandIndex);
        for (auto& triple : band.levels)
            for (int16_t& v : triple) r.Field(v);
        for (auto& triple : band.counts)
            for (int16_t& v : triple) r.Field(v);
    }
    out = profile;
    return true;
}

NoiseProfile FlatProfile(int16_t level) {
    NoiseProfile profile;
    ResetProfile(profile, false);
    for (int b = 0; b < kProfileBands; ++b)
        for (int k = 0; k < kProfileBins; ++k)
            for (int c = 0; c < 3; ++c) {
                profile.bands[b].levels[k][c] = level;
                profile.bands[b].counts[k][c] = 1;
            }
    return profile;
}

void ResetProfile(NoiseProfile& profile, bool keepValues) {
    profile.bandCount = kProfileBands;
    for (int b = 0; b < kProfileBands; ++b) {  // the fifth record is never touched
        ProfileBand& band = profile.bands[b];
        band.binCount = kProfileBins;
        band.bandIndex = b;
        if (!keepValues) {
            std::memset(band.levels, 0, sizeof band.levels);
            std::memset(band.counts, 0, sizeof band.counts);
        }
    }
}

void SmoothProfile(NoiseProfile& profile) {
    const int bands = std::clamp<int>(profile.bandCount, 0, kProfileBandSlots);
    for (int b = 0; b < bands; ++b) {
        ProfileBand& band = profile.bands[b];
        const int n = ClampedBinCount(band);
        if (n < 2) continue;
        for (int c = 0; c < 3; ++c) {
            for (int pass = 0; pass < 2; ++pass) {
                int32_t before[kProfileBinSlots];
                for (int k = 0; k < n; ++k) before[k] = band.levels[k][c];
                for (int k = 0; k < n; ++k) {
                    int32_t v;
                    if (k == 0) v = (before[0] + before[1]) / 2;
                    else if (k == n - 1) v = (before[k] + before[k - 1]) / 2;
                    else v = (before[k - 1] + before[k] + before[k + 1]) / 3;
                    band.levels[k][c] = static_cast<int16_t>(std::min<int32_t>(v, kMaxLevel));
                }
            }
        }
    }
}

}  // namespace stillpix
