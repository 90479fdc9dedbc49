#include "settings/learned_profile_merge.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "settings/profile_matching.h"

namespace stillpix {
namespace {

int16_t SaturateToInt16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, 0, kMaxProfileCount));
}

// `taken` of the record's `of` contributors: their share of a count, rounded half up, and at
// least 1 where the record had any.
int64_t ShareOf(int64_t count, int taken, int of) {
    if (taken == of || count <= 0) return count;
    return std::max<int64_t>(1, (2 * count * taken + of) / (2 * of));
}

// Count-weighted mean of the two profiles, rounded half up; bins without any count add up.
void MergeProfileInto(const NoiseProfile& added, int taken, int of, NoiseProfile& into) {
    const int bands = std::clamp(added.bandCount, 0, kProfileBandSlots);
    for (int b = 0; b < bands; ++b) {
        const ProfileBand& from = added.bands[b];
        ProfileBand& to = into.bands[b];
        const int bins = std::clamp(from.binCount, 0, kProfileBinSlots);
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < bins; ++k) {
                const int64_t levelNew = from.levels[k][c];
                const int64_t weightNew = ShareOf(from.counts[k][c], taken, of);
                const int64_t levelOld = to.levels[k][c], weightOld = to.counts[k][c];
                const int64_t weight = weightNew + weightOld;
                if (weight >= 1) {
                    const int64_t sum = levelNew * weightNew + levelOld * weightOld;
                    to.levels[k][c] = SaturateToInt16((2 * sum + weight) / (2 * weight));
                    to.counts[k][c] = SaturateToInt16(weight);
                } else {
                    to.levels[k][c] = SaturateToInt16(levelOld + levelNew);
                }
            }
        }
    }
}

// The record taking only `ids` of its contributors.
LearnedProfileRecord Part(const LearnedProfileRecord& record, const std::vector<uint32_t>& ids) {
    LearnedProfileRecord part = record;
    part.contributors = static_cast<int32_t>(ids.size());
    part.reserved = 0;
    part.link = 0;
    std::fill(std::begin(part.imageIds), std::end(part.imageIds), 0u);
    std::copy(ids.begin(), ids.end(), part.imageIds);
    if (part.contributors != record.contributors) {
        part.profile = {};
        part.profile.bandCount = record.profile.bandCount;
        for (int b = 0; b < kProfileBandSlots; ++b)
            part.profile.bands[b].binCount = record.profile.bands[b].binCount;
        MergeProfileInto(record.profile, part.contributors, record.contributors, part.profile);
    }
    return part;
}

bool Holds(const LearnedProfileRecord& r, uint32_t id) {
    return std::find(r.imageIds, r.imageIds + r.contributors, id) != r.imageIds + r.contributors;
}

}  // namespace

LearnOutcome FoldLearnedRecord(std::vector<LearnedProfileRecord>& records,
                               const LearnedProfileRecord& record) {
    if (!IsUsableRecord(record)) return LearnOutcome::kRefused;
    std::vector<uint32_t> fresh;
    for (int i = 0; i < record.contributors; ++i) {
        const uint32_t id = record.imageIds[i];
        if (id == 0 || std::find(fresh.begin(), fresh.end(), id) == fresh.end())
            fresh.push_back(id);
    }
    const bool anonymous = record.contributors == 1 && record.imageIds[0] == 0;

    LearnedProfileRecord* candidate = nullptr;
    const ImageDescriptor& d = record.descriptor;
    for (LearnedProfileRecord& r : records) {
        if (anonymous) break;
        if (CameraMatchScore(d, r.descriptor) <= 50 || d.isoSpeed != r.descriptor.isoSpeed)
            continue;
        // A score above 50 implies that both light values exist.
        if (!candidate && std::trunc(std::fabs(*LightValue(d) - *LightValue(r.descriptor))) == 0.0)
            candidate = &r;
        std::erase_if(fresh, [&](uint32_t id) { return id != 0 && Holds(r, id); });
    }
    if (fresh.empty()) return LearnOutcome::kAlreadyLearned;
    if (!candidate) {
        if (records.size() >= static_cast<std::size_t>(kMaxLearnedRecords))
            return LearnOutcome::kRefused;
        records.push_back(Part(record, fresh));
        return LearnOutcome::kAppended;
    }
    const int room = kMaxContributors - candidate->contributors;
    if (room <= 0) return LearnOutcome::kRefused;
    if (fresh.size() > static_cast<std::size_t>(room)) fresh.resize(static_cast<std::size_t>(room));
    MergeProfileInto(record.profile, static_cast<int>(fresh.size()), record.contributors,
                     candidate->profile);
    for (uint32_t id : fresh) candidate->imageIds[candidate->contributors++] = id;
    return LearnOutcome::kMerged;
}

std::vector<LearnedProfileRecord> MergeLearnedStores(
    std::span<const std::vector<LearnedProfileRecord>> stores) {
    struct Entry {
        const LearnedProfileRecord* record;
        std::array<uint8_t, kLearnedProfileRecordBytes> bytes;
    };
    const auto canonical = [](const Entry& a, const Entry& b) {
        if (a.record->contributors != b.record->contributors)
            return a.record->contributors > b.record->contributors;
        return a.bytes < b.bytes;
    };
    std::vector<Entry> pool;
    for (const auto& store : stores)
        for (const LearnedProfileRecord& r : store)
            pool.push_back({&r, EncodeLearnedProfileRecord(r)});
    std::sort(pool.begin(), pool.end(), canonical);
    std::vector<LearnedProfileRecord> folded;
    for (const Entry& e : pool) FoldLearnedRecord(folded, *e.record);

    // The result in the same order, so that merging it again changes nothing.
    pool.clear();
    for (const LearnedProfileRecord& r : folded)
        pool.push_back({&r, EncodeLearnedProfileRecord(r)});
    std::sort(pool.begin(), pool.end(), canonical);
    std::vector<LearnedProfileRecord> merged;
    merged.reserve(folded.size());
    for (const Entry& e : pool) merged.push_back(*e.record);
    return merged;
}

}  // namespace stillpix
