// Noise measurement of one pyramid level of one tile: flat 8 x 8 blocks give the typical largest
// neighbour difference of Y, Cr and Cb per luminosity bin.
#include "engine/measure_noise.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include "engine/noise_filter_params.h"

namespace stillpix {
namespace {

constexpr int kBlock = 8;
constexpr int kPointsPerSide = 3;
constexpr int kPointStep = 3;
constexpr int kMaxPoints = kPointsPerSide * kPointsPerSide;
constexpr int kWellMeasured = 1024;  // a bin above this in all channels needs no more blocks
constexpr int kLastFirstRoundPass = 4;
constexpr int kLastPass = 6;
constexpr int kChromaMeanLimit = 2191;
constexpr int kChannels = 3;  // Y, Cr, Cb
constexpr int kBinLimit = kProfileBinSlots;

constexpr int kNeighbours[8][2] = {{-1, -1}, {1, 1},  {-1, 1}, {1, -1},
                                   {0, 1},   {0, -1}, {1, 0},  {-1, 0}};

// Mean absolute deviation: the mean truncated (computed in double), then the integer mean of
// the distances to it.
int MeanAbsoluteDeviation(const int* values, int n) {
    if (n <= 0) return 0;
    double sum = 0;
    for (int i = 0; i < n; ++i) sum += values[i];
    const int mean = static_cast<int>(sum / n);
    int64_t deviation = 0;
    for (int i = 0; i < n; ++i) deviation += std::abs(values[i] - mean);
    return static_cast<int>(deviation / n);
}

template <class T>
T LowerMedian(T* values, int n) {
    std::nth_element(values, values + (n - 1) / 2, values + n);
    return values[(n - 1) / 2];
}

class LevelSampler {
public:
    explicit LevelSampler(const LevelPlanes16& planes, int distance)
        : p_(planes), distance_(distance) {}

    int Bin(int bx, int by) const {
        const int x0 = std::max(0, kBlock * bx - 1), x1 = std::min(p_.width, kBlock * bx + kBlock);
        const int y0 = std::max(0, kBlock * by - 1), y1 = std::min(p_.height, kBlock * by + kBlock);
        int64_t sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) sum += p_.y[y * p_.width + x];
        const int64_t mean = sum / ((x1 - x0) * (y1 - y0));
        return std::clamp(static_cast<int>(mean >> 11), 0, kBinLimit - 1);
    }

    void Measure(int bx, int by, BlockStats& stats) const {
        int means[kMaxPoints];
        int deviations[kChannels][kMaxPoints];
        int largest[kChannels][kMaxPoints];
        int points = 0;
        for (int j = 0; j < kPointsPerSide; ++j) {
            for (int i = 0; i < kPointsPerSide; ++i) {
                const int x = kBlock * bx + kPointStep * i, y = kBlock * by + kPointStep * j;
                if (x >= p_.width || y >= p_.height) continue;
                if (MeasurePoint(x, y, means[points], deviations, largest, points)) ++points;
            }
        }
        stats.spread = MeanAbsoluteDeviation(means, points);
        for (int c = 0; c < kChannels; ++c) {
            stats.deviation[c] = MeanAbsoluteDeviation(deviations[c], points);
            stats.value[c] = points > 0 ? LowerMedian(largest[c], points) : 0;
        }
    }

private:
    bool MeasurePoint(int x, int y, int& meanY, int (&deviations)[kChannels][kMaxPoints],
                      int (&largest)[kChannels][kMaxPoints], int point) const {
        const std::size_t at = static_cast<std::size_t>(y) * p_.width + x;
        const int16_t* planes[kChannels] = {p_.y, p_.cr, p_.cb};
        int diffs[kChannels][8];
        int neighbourY = 0;
        int n = 0;
        for (const auto& offset : kNeighbours) {
            const int nx = x + offset[0] * distance_, ny = y + offset[1] * distance_;
            if (nx < 0 || ny < 0 || nx >= p_.width || ny >= p_.height) continue;
            const std::size_t other = static_cast<std::size_t>(ny) * p_.width + nx;
            for (int c = 0; c < kChannels; ++c)
                diffs[c][n] = std::abs(planes[c][other] - planes[c][at]);
            neighbourY += p_.y[other];
            ++n;
        }
        if (n == 0) return false;
        meanY = neighbourY / n;
        for (int c = 0; c < kChannels; ++c) {
            deviations[c][point] = MeanAbsoluteDeviation(diffs[c], n);
            largest[c][point] = *std::max_element(diffs[c], diffs[c] + n);
        }
        return true;
    }

    const LevelPlanes16& p_;
    int distance_;
};

struct Accepted {
    uint32_t value;
    uint32_t weight;
};

// The accepted blocks of one call, per bin and channel, in the order they were accepted.
struct Acceptance {
    std::vector<Accepted> lists[kBinLimit][kChannels];
    uint32_t weightSum[kBinLimit][kChannels]{};
    bool any[kChannels]{};
    int64_t valueSum[kChannels]{};
    int valueNumber[kChannels]{};

    void Accept(int bin, int channel, int value, int weight) {
        lists[bin][channel].push_back(
            {static_cast<uint32_t>(value), static_cast<uint32_t>(weight)});
        weightSum[bin][channel] += static_cast<uint32_t>(weight);
        any[channel] = true;
        valueSum[channel] += value;
        ++valueNumber[channel];
    }
    int64_t MeanValue(int channel) const {
        return valueNumber[channel] ? valueSum[channel] / valueNumber[channel] : 0;
    }
};

int ChromaWeight(int deviation, int pass) {
    return std::max(1, (512 - deviation) >> 4) >> (pass - 1);
}

void VisitBlock(const BlockStats& b, int pass, int level, bool grey, Acceptance& acc) {
    bool gave[kChannels] = {};
    for (int c = kChannelCr; c <= kChannelCb; ++c) {
        if ((pass == 1 || !acc.any[c]) && b.spread < 1024 && b.deviation[c] < 512) {
            acc.Accept(b.bin, c, b.value[c], ChromaWeight(b.deviation[c], pass));
            gave[c] = true;
        }
    }

    static constexpr int kLimitShift[6] = {0, 1, 2, 4, 4, 4};
    const int grade = pass == 5 ? 1 : pass;
    int limitA = 1 << (grade + 6);
    int limitB = (grade == 1 ? 192 : grade == 2 ? 220 : 256) >> kLimitShift[std::min(level, 5)];
    if (pass >= 5) {
        limitB = (pass - 4) << 8;
        limitA <<= b.bin * 3 / 11;
        if (level > 0) limitA *= 2;
    }
    if (!((pass == 1 || !acc.any[kChannelY]) && b.spread < limitA &&
          b.deviation[kChannelY] < limitB))
        return;
    int weight = std::max(0, limitB - b.deviation[kChannelY]);
    if (pass < 5) weight *= 4;
    weight = std::clamp(weight >> (pass - 1), 1, 2048);
    int value = b.value[kChannelY];
    if (level >= 1 && !grey && gave[kChannelCr] && gave[kChannelCb]) {
        // Strong chrominance spread in a block that still looks flat hints at luminance detail
        // mistaken for noise; pull the value down accordingly.
        const int64_t e = int64_t{(11 - (b.bin >> (level + 2))) << (level - 1)} << 10;
        int64_t r = std::numeric_limits<int32_t>::max();
        for (int c = kChannelCr; c <= kChannelCb; ++c)
            if (b.deviation[c] != 0) r = std::min(r, e / b.deviation[c]);
        if (r > 1024) {
            const int64_t lowered = value - ((value - (int64_t{value} * 1024) / r) >> 1);
            if (lowered < value) value = static_cast<int>(lowered);
        }
    }
    acc.Accept(b.bin, kChannelY, value, weight);
}

// Raises the band's counts and stores one selected value per bin and channel, n times.
void StoreSelected(const Acceptance& acc, int level, ProfileBand& band,
                   ProfileAccumulator& accumulator) {
    std::vector<uint32_t> firsts;
    for (int bin = 0; bin < kBinLimit; ++bin) {
        for (int c = 0; c < kChannels; ++c) {
            const uint32_t w = acc.weightSum[bin][c];
            if (w == 0) continue;
            const uint32_t n = std::max<uint32_t>(1, w >> 8);
            band.counts[bin][c] = static_cast<int16_t>(
                std::min<int64_t>(kMaxProfileCount, int64_t{band.counts[bin][c]} + n));
            firsts.clear();
            for (const Accepted& a : acc.lists[bin][c]) {
                const uint32_t take = std::min<uint32_t>(a.weight, n - firsts.size());
                firsts.insert(firsts.end(), take, a.value);
                if (firsts.size() == n) break;
            }
            const uint32_t selected = LowerMedian(firsts.data(), static_cast<int>(firsts.size()));
            for (uint32_t i = 0; i < n; ++i) accumulator.Append(level, bin, c, selected);
        }
    }
}

}  // namespace

namespace {

bool WellMeasured(const ProfileBand& band, int bin) {
    const int16_t* counts = band.counts[bin];
    return counts[0] > kWellMeasured && counts[1] > kWellMeasured && counts[2] > kWellMeasured;
}

}  // namespace

void CollectBlocks(const LevelPlanes16& planes, int levelIndex, int tileCount,
                   const ProfileBand& known, LevelBlocks& out) {
    out = LevelBlocks{};
    if (!planes.y || !planes.cr || !planes.cb || planes.width <= 0 || planes.height <= 0) return;
    out.measured = true;
    out.grey = planes.grey;
    // The block statistics do not change from pass to pass, so each block is measured once.
    const int step = std::max(1, tileCount / 20 - 4 * levelIndex + 2);
    const int blocksWide = planes.width / kBlock, blocksHigh = planes.height / kBlock;
    const LevelSampler sampler(planes, std::max(1, 2 - levelIndex));
    for (int by = 0; by < blocksHigh; by += step) {
        for (int bx = 0; bx < blocksWide; bx += step) {
            BlockStats stats;
            stats.bin = sampler.Bin(bx, by);
            if (WellMeasured(known, stats.bin)) continue;
            sampler.Measure(bx, by, stats);
            out.blocks.push_back(stats);
        }
    }
}

void AcceptBlocks(const LevelBlocks& blocks, int levelIndex, ProfileBand& band,
                  ProfileAccumulator& accumulator) {
    if (levelIndex < 0 || levelIndex >= kAccumulatorLevels) return;
    const int level = levelIndex;
    uint32_t& nextFlag = accumulator.Flag(level + 1);
    nextFlag = level == 0 ? 1 : accumulator.Flag(level);
    if (!blocks.measured) return;

    // The band's counts are raised only at the end, so one look at them serves every pass.
    std::vector<const BlockStats*> visited;
    for (const BlockStats& b : blocks.blocks)
        if (!WellMeasured(band, b.bin)) visited.push_back(&b);

    Acceptance acc;
    bool secondRound = false;
    for (int pass = 1;; ++pass) {
        for (const BlockStats* b : visited) VisitBlock(*b, pass, level, blocks.grey, acc);

        if (acc.any[kChannelY] && acc.any[kChannelCr] && acc.any[kChannelCb]) {
            if (!secondRound) nextFlag = 0;
            break;
        }
        if (secondRound && pass >= kLastPass) break;
        if (level >= 4 && pass >= 3) break;
        if (pass == kLastFirstRoundPass) {
            if (acc.MeanValue(kChannelCr) * (level + 1) < kChromaMeanLimit &&
                acc.MeanValue(kChannelCb) * (level + 1) < kChromaMeanLimit) {
                nextFlag = 0;
                break;
            }
            if (nextFlag == 0) break;
            secondRound = true;
        }
    }
    StoreSelected(acc, level, band, accumulator);
}

void MeasureLevel(const LevelPlanes16& planes, int levelIndex, int tileCount, ProfileBand& band,
                  ProfileAccumulator& accumulator) {
    if (levelIndex < 0 || levelIndex >= kAccumulatorLevels) return;
    LevelBlocks blocks;
    CollectBlocks(planes, levelIndex, tileCount, band, blocks);
    AcceptBlocks(blocks, levelIndex, band, accumulator);
}

}  // namespace stillpix
