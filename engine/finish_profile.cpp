// Turns the raw measurements of an accumulator into the profile's curves.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "engine/entry_guard.h"
#include "engine/profile_accumulator.h"

namespace stillpix {
namespace {

constexpr int kChannels = 3;

int16_t SaturateToInt16(int64_t v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

uint32_t LowerMedian(const std::vector<uint32_t>& list, std::vector<uint32_t>& scratch) {
    if (list.empty()) return 0;
    scratch.assign(list.begin(), list.end());
    const auto middle = scratch.begin() + (scratch.size() - 1) / 2;
    std::nth_element(scratch.begin(), middle, scratch.end());
    return *middle;
}

// A bin without measurements gets the distance-weighted mix of its nearest measured neighbours;
// towards an end without one, the curve falls off as if a zero lay one past the end.
void FillGaps(ProfileBand& band, int channel) {
    const int n = kProfileBins;
    int measured[kProfileBins];
    for (int k = 0; k < n; ++k) measured[k] = band.levels[k][channel];
    for (int k = 0; k < n; ++k) {
        if (band.counts[k][channel] >= 1) continue;
        int right = 0, dRight = 0, left = 0, dLeft = 0;
        bool haveRight = false, haveLeft = false;
        for (int j = k + 1; j < n && !haveRight; ++j)
            if (band.counts[j][channel] > 0) haveRight = true, right = measured[j], dRight = j - k;
        for (int j = k - 1; j >= 0 && !haveLeft; --j)
            if (band.counts[j][channel] > 0) haveLeft = true, left = measured[j], dLeft = k - j;
        if (!haveRight || right == 0) {
            dRight = n - k;
            right = left / (dRight + 1);
        }
        if (!haveLeft || left == 0) {
            dLeft = k + 1;
            left = right / (dLeft + 1);
        }
        band.levels[k][channel] =
            SaturateToInt16((int64_t{dLeft} * right + int64_t{dRight} * left) / (dLeft + dRight));
    }
    for (int k = 0; k < n; ++k)
        if (band.levels[k][channel] == 0) band.levels[k][channel] = 1;
}

// Straightens the Y curve towards its overall trend, pulled back towards the measured values
// where they are well supported, never above a supported measurement.
void CorrectTrend(ProfileBand& band) {
    const int n = kProfileBins;
    int original[kProfileBins];
    for (int k = 0; k < n; ++k) original[k] = band.levels[k][0];

    double slope[kProfileBins] = {};
    for (int k = 1; k < n; ++k) slope[k] = original[k] - original[k - 1];
    const double meanSlope = double(original[n - 1] - original[0]) / (n - 1);
    double curvatureSum = 0;
    for (int k = 2; k <= n - 2; ++k) curvatureSum += std::trunc(slope[k] - slope[k - 1]);
    const double meanCurvature = curvatureSum / (n - 3);
    if (meanCurvature < 0) {
        for (int k = 2; k <= n - 2; ++k) slope[k] = slope[k - 1] + meanCurvature;
    } else {
        for (int k = 1; k < n; ++k) slope[k] = meanSlope;
    }

    int64_t rebuilt[kProfileBins];
    rebuilt[0] = original[0];
    for (int k = 1; k < n; ++k)
        rebuilt[k] = static_cast<int64_t>(std::trunc(rebuilt[k - 1] + slope[k]));

    const int64_t offset = rebuilt[n - 2] - original[n - 2];
    double meanOriginal = 0, meanCount = 0;
    for (int k = 0; k < n; ++k) {
        meanOriginal += original[k];
        meanCount += band.counts[k][0];
    }
    meanOriginal /= n;
    meanCount /= n;
    if (meanCount == 0) meanCount = 1;

    for (int k = 1; k < n; ++k) {
        int64_t y = rebuilt[k] - (k * offset) / (n - 2);
        if (y != original[k]) {
            if (double(y) == meanOriginal) {
                y = original[k];
            } else {
                const double w =
                    band.counts[k][0] * meanOriginal / std::fabs(double(y) - meanOriginal);
                y = static_cast<int64_t>(
                    std::trunc((original[k] * w + double(y) * meanCount) / (w + meanCount)));
            }
            y = std::max<int64_t>(y, 1);
            if (band.counts[k][0] != 0 && original[k] < y) y = original[k];
        }
        band.levels[k][0] = SaturateToInt16(y);
    }
}

// Band b's empty ends take band b - 1's levels scaled by the mean ratio of the two bands.
void FillEndsFromCoarserRatio(const ProfileBand& finer, ProfileBand& band, int channel) {
    const int n = kProfileBins;
    int64_t sum = 0;
    int terms = 0;
    for (int k = 0; k < n; ++k) {
        const int a = finer.levels[k][channel], b = band.levels[k][channel];
        if (a != 0 && b != 0) {
            sum += int64_t{100} * a / b;
            ++terms;
        }
    }
    if (terms == 0) return;
    const int64_t ratio = sum / terms;
    if (ratio <= 0) return;
    int lead = 0;
    while (lead < n && band.levels[lead][channel] == 0) ++lead;
    int trail = n;
    while (trail > lead && band.levels[trail - 1][channel] == 0) --trail;
    for (int k = 0; k < n; ++k)
        if (k < lead || k >= trail)
            band.levels[k][channel] =
                SaturateToInt16(int64_t{finer.levels[k][channel]} * 100 / ratio);
}

// A coarser band's noise is held at most at the finer band's.
void HoldBelowFinerBand(const ProfileBand& finer, ProfileBand& band) {
    for (int k = 0; k < kProfileBins; ++k) {
        int16_t* level = band.levels[k];
        const int16_t* upper = finer.levels[k];
        if (upper[0] != 0 && level[0] != 0) {
            const int cap = std::max((upper[0] + level[1]) / 2, (upper[0] + level[2]) / 2);
            level[0] = static_cast<int16_t>(std::min<int>(level[0], cap));
        }
        for (int c = 1; c < kChannels; ++c)
            if (upper[c] != 0 && level[c] != 0) level[c] = std::min(level[c], upper[c]);
    }
}

void FinishCurves(const ProfileAccumulator& accumulator, NoiseProfile& profile, bool fromImage) {
    ResetProfile(profile, fromImage);
    std::vector<uint32_t> scratch;
    for (int b = 0; b < kProfileBands; ++b) {
        ProfileBand& band = profile.bands[b];
        const AccumulatorBlock& block = accumulator.Block(b);
        for (int k = 0; k < kProfileBins; ++k) {
            for (int c = 0; c < kChannels; ++c) {
                const int list = k * 4 + c;
                if (!fromImage)
                    band.counts[k][c] = static_cast<int16_t>(
                        std::min<uint32_t>(block.counters[list], kMaxProfileCount));
                uint32_t level = LowerMedian(block.lists[list], scratch);
                if (fromImage) level >>= 4;
                band.levels[k][c] = SaturateToInt16(level);
            }
        }
        if (!fromImage) continue;
        for (int c = 0; c < kChannels; ++c) FillGaps(band, c);
        CorrectTrend(band);
    }
    for (int b = 1; b < kProfileBands; ++b)
        for (int c = 0; c < kChannels; ++c)
            FillEndsFromCoarserRatio(profile.bands[b - 1], profile.bands[b], c);
    for (int b = 1; b < kProfileBands; ++b)
        HoldBelowFinerBand(profile.bands[b - 1], profile.bands[b]);
    for (int b = 0; b < kProfileBands; ++b)
        for (int k = 0; k < kProfileBins; ++k)
            for (int16_t& count : profile.bands[b].counts[k])
                if (count < 1) count = 1;
}

}  // namespace

// The curves are finished on a copy, so that a failure leaves the caller's profile as it was.
bool FinishProfile(const ProfileAccumulator& accumulator, NoiseProfile& out, bool fromImage) {
    return FalseOnException([&] {
        NoiseProfile profile = out;
        FinishCurves(accumulator, profile, fromImage);
        out = profile;
        return true;
    });
}

}  // namespace stillpix
