// Raw measurements of one profiling run (or of a replay of learned profiles), per pyramid level,
// bin and channel; FinishProfile turns them into curves.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/noise_profile.h"

namespace stillpix {

constexpr int kAccumulatorLevels = 16;
constexpr int kAccumulatorLists = 1024;                // addressed as bin x 4 + channel
constexpr uint32_t kNoAccumulatorEntry = 0xFFFFFFFFu;  // Append outside the lists

struct AccumulatorBlock {
    uint32_t flag = 0;  // this level may run a second round of measuring passes
    std::array<std::vector<uint32_t>, kAccumulatorLists> lists;
    std::array<uint32_t, kAccumulatorLists> counters{};
};

// Making one and Append throw std::bad_alloc when memory runs out (the accumulator is a value
// its users hold, not an operation): whoever holds one outside the engine catches it.
class ProfileAccumulator {
public:
    ProfileAccumulator();

    // Appends to list (level, bin, channel); returns the new entry's index, or
    // kNoAccumulatorEntry (nothing stored) when the address is outside the block.
    // Levels 0..15, channels 0..3 (0 Y, 1 Cr, 2 Cb), bin x 4 + channel below 1024.
    uint32_t Append(int level, int bin, int channel, uint32_t value);
    void SetCounter(int level, int bin, int channel, uint32_t value);
    void AddCounter(int level, int bin, int channel,
                    uint32_t value);  // saturates at the u32 maximum

    AccumulatorBlock& Block(int level) { return (*blocks_)[level]; }
    const AccumulatorBlock& Block(int level) const { return (*blocks_)[level]; }
    // The flag word after the last block, so "the flag of block L + 1" exists for every level.
    uint32_t& Flag(int level) {
        return level < kAccumulatorLevels ? (*blocks_)[level].flag : tailFlag_;
    }

private:
    std::unique_ptr<std::array<AccumulatorBlock, kAccumulatorLevels>> blocks_;
    uint32_t tailFlag_ = 0;
};

// Builds the curves of `profile` from the accumulator; fromImage = true for one image's
// measurement (levels divided by 16, gaps filled, trend corrected), false for a replay.
// False, with `profile` unchanged, when memory runs out.
bool FinishProfile(const ProfileAccumulator& accumulator, NoiseProfile& profile, bool fromImage);

}  // namespace stillpix
