#include "settings/profile_store.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/profile_accumulator.h"
#include "settings/profile_matching.h"

namespace stillpix {
namespace {

int16_t SaturateToInt16(int64_t value) {
    return static_cast<int16_t>(std::clamp<int64_t>(value, 0, kMaxProfileCount));
}

// Count-weighted mean of the two profiles, rounded half up; bins without any count add up.
void MergeProfileInto(const NoiseProfile& added, NoiseProfile& into) {
    const int bands = std::clamp(added.bandCount, 0, kProfileBandSlots);
    for (int b = 0; b < bands; ++b) {
        const ProfileBand& from = added.bands[b];
        ProfileBand& to = into.bands[b];
        const int bins = std::clamp(from.binCount, 0, kProfileBinSlots);
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < bins; ++k) {
                const int64_t levelNew = from.levels[k][c], weightNew = from.counts[k][c];
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

void ReplayRecord(const LearnedProfileRecord& record, int score, ProfileAccumulator& accumulator) {
    const NoiseProfile& profile = record.profile;
    for (int b = 0; b < profile.bandCount; ++b) {
        const ProfileBand& band = profile.bands[b];
        const int shift = 4 - b;
        for (int k = 0; k < band.binCount; ++k) {
            for (int c = 0; c < 3; ++c) {
                const int count = band.counts[k][c];
                const int weight = std::clamp(count >> shift, 1, 256);
                const int repeats = weight * score / 100;
                for (int i = 0; i < repeats; ++i)
                    accumulator.Append(b, k, c, static_cast<uint32_t>(band.levels[k][c]));
                accumulator.AddCounter(b, k, c, static_cast<uint32_t>(count));
            }
        }
    }
}

}  // namespace

LearnedProfileStore::LearnedProfileStore(std::filesystem::path folder)
    : folder_(std::move(folder)) {}

void LearnedProfileStore::SetFolder(std::filesystem::path folder) {
    std::lock_guard lock(mutex_);
    folder_ = std::move(folder);
}

std::filesystem::path LearnedProfileStore::Folder() const {
    std::lock_guard lock(mutex_);
    return folder_;
}

void LearnedProfileStore::AppendLocked(uint32_t id, const LearnedProfileRecord& record) {
    LearnedProfileRecord& added = records_.emplace_back(record);
    added.contributors = 1;
    added.reserved = 0;
    added.link = 0;
    std::fill(std::begin(added.imageIds), std::end(added.imageIds), 0u);
    added.imageIds[0] = id;
}

LearnOutcome LearnedProfileStore::AddLocked(uint32_t id, const LearnedProfileRecord& record) {
    LearnedProfileRecord checked = record;
    checked.contributors = 1;
    if (!IsUsableRecord(checked)) return LearnOutcome::kRefused;
    const bool full = records_.size() >= static_cast<std::size_t>(kMaxLearnedRecords);
    auto append = [&] {
        if (full) return LearnOutcome::kRefused;
        AppendLocked(id, record);
        return LearnOutcome::kAppended;
    };
    if (id == 0 || records_.empty()) return append();

    LearnedProfileRecord* candidate = nullptr;
    const ImageDescriptor& d = record.descriptor;
    for (LearnedProfileRecord& r : records_) {
        if (CameraMatchScore(d, r.descriptor) <= 50 || d.isoSpeed != r.descriptor.isoSpeed)
            continue;
        // A score above 50 implies that both light values exist.
        if (!candidate && std::trunc(std::fabs(*LightValue(d) - *LightValue(r.descriptor))) == 0.0)
            candidate = &r;
        if (std::find(r.imageIds, r.imageIds + r.contributors, id) != r.imageIds + r.contributors)
            return LearnOutcome::kAlreadyLearned;
    }
    if (!candidate) return append();
    if (candidate->contributors >= kMaxContributors) return LearnOutcome::kRefused;
    MergeProfileInto(record.profile, candidate->profile);
    candidate->imageIds[candidate->contributors++] = id;
    return LearnOutcome::kMerged;
}

bool LearnedProfileStore::AddLearnedProfile(std::string_view imagePath,
                                            const LearnedProfileRecord& record) {
    std::lock_guard lock(mutex_);
    return AddLocked(ImageId(imagePath), record) == LearnOutcome::kAppended;
}

LearnResult LearnedProfileStore::LearnFromImage(std::string_view imagePath,
                                                const ImageDescriptor& descriptor,
                                                const NoiseProfile& profile, bool selfLearning) {
    if (!selfLearning || !ImageQualifies(descriptor)) return {};
    LearnedProfileRecord record;
    record.contributors = 1;
    record.descriptor = descriptor;
    record.profile = profile;
    std::lock_guard lock(mutex_);
    LearnResult result;
    result.outcome = AddLocked(ImageId(imagePath), record);
    result.saved = SaveLocked();  // even when nothing changed, as the store always has
    return result;
}

bool LearnedProfileStore::BuildLearnedProfile(const ImageDescriptor& descriptor, NoiseProfile& out,
                                              bool selfLearning) const {
    if (!selfLearning || descriptor.isoSpeed < 1) return false;
    std::lock_guard lock(mutex_);
    std::optional<ProfileAccumulator> accumulator;  // large: made only when a record matches
    for (const LearnedProfileRecord& r : records_) {
        const int score = CameraMatchScore(descriptor, r.descriptor);
        if (score < 50) continue;
        if (!accumulator) accumulator.emplace();
        ReplayRecord(r, score, *accumulator);
    }
    if (!accumulator) return false;
    FinishProfile(*accumulator, out, false);
    return true;
}

void LearnedProfileStore::Clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
}

bool LearnedProfileStore::ClearAndSave() {
    std::lock_guard lock(mutex_);
    records_.clear();
    return SaveLocked();
}

int32_t LearnedProfileStore::Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int32_t>(records_.size());
}

std::vector<LearnedProfileRecord> LearnedProfileStore::Records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

}  // namespace stillpix
