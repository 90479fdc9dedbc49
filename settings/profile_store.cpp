#include "settings/profile_store.h"

#include <algorithm>
#include <new>
#include <optional>

#include "engine/profile_accumulator.h"
#include "settings/learned_profile_merge.h"
#include "settings/profile_matching.h"

namespace stillpix {
namespace {

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

LearnOutcome LearnedProfileStore::AddLocked(uint32_t id, const LearnedProfileRecord& record) {
    LearnedProfileRecord image = record;
    image.contributors = 1;
    std::fill(std::begin(image.imageIds), std::end(image.imageIds), 0u);
    image.imageIds[0] = id;
    const LearnOutcome outcome = FoldLearnedRecord(records_, image);
    // Kept for the next save, which adds it to whatever the file then holds.
    if (outcome == LearnOutcome::kAppended || outcome == LearnOutcome::kMerged)
        unsaved_.push_back(image);
    return outcome;
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
    // Even when nothing changed, as the store always has. Against the file, which other
    // processes may have changed, this image may fare otherwise: that is the outcome then.
    std::vector<LearnOutcome> replayed;
    result.saved = SaveLocked(&replayed);
    if (!replayed.empty()) result.outcome = replayed.back();
    return result;
}

bool LearnedProfileStore::BuildLearnedProfile(const ImageDescriptor& descriptor, NoiseProfile& out,
                                              bool selfLearning) const {
    if (!selfLearning || descriptor.isoSpeed < 1) return false;
    std::lock_guard lock(mutex_);
    try {
        std::optional<ProfileAccumulator> accumulator;  // large: made only when a record matches
        for (const LearnedProfileRecord& r : records_) {
            const int score = CameraMatchScore(descriptor, r.descriptor);
            if (score < 50) continue;
            if (!accumulator) accumulator.emplace();
            ReplayRecord(r, score, *accumulator);
        }
        return accumulator && FinishProfile(*accumulator, out, false);
    } catch (const std::bad_alloc&) {
        return false;  // as if nothing matched: the image is measured instead
    }
}

void LearnedProfileStore::Clear() {
    std::lock_guard lock(mutex_);
    records_.clear();
    unsaved_.clear();
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
