// The raw-measurement store of one profiling run or replay.
#include "engine/profile_accumulator.h"

#include <algorithm>
#include <limits>

namespace stillpix {
namespace {

bool InRange(int level, int bin, int channel) {
    return level >= 0 && level < kAccumulatorLevels && channel >= 0 && channel < 4 && bin >= 0 &&
           bin * 4 + channel < kAccumulatorLists;
}

}  // namespace

ProfileAccumulator::ProfileAccumulator()
    : blocks_(std::make_unique<std::array<AccumulatorBlock, kAccumulatorLevels>>()) {}

uint32_t ProfileAccumulator::Append(int level, int bin, int channel, uint32_t value) {
    if (!InRange(level, bin, channel)) return kNoAccumulatorEntry;
    std::vector<uint32_t>& list = (*blocks_)[level].lists[bin * 4 + channel];
    if (list.size() == list.capacity()) {
        // Capacity stays a multiple of 4 entries, but grows geometrically so that replaying
        // a large store does not copy the list on every fourth value.
        const std::size_t grown = list.capacity() + std::max<std::size_t>(4, list.capacity() / 2);
        list.reserve((grown + 3) / 4 * 4);
    }
    list.push_back(value);
    return static_cast<uint32_t>(list.size() - 1);
}

void ProfileAccumulator::SetCounter(int level, int bin, int channel, uint32_t value) {
    if (InRange(level, bin, channel)) (*blocks_)[level].counters[bin * 4 + channel] = value;
}

void ProfileAccumulator::AddCounter(int level, int bin, int channel, uint32_t value) {
    if (!InRange(level, bin, channel)) return;
    uint32_t& counter = (*blocks_)[level].counters[bin * 4 + channel];
    counter = value > std::numeric_limits<uint32_t>::max() - counter
                  ? std::numeric_limits<uint32_t>::max()
                  : counter + value;
}

}  // namespace stillpix
