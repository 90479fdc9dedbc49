// The learned noise profiles: records in insertion order, keyed by camera, ISO and light value,
// kept in "sxprofiles.sxp" in the profile folder. One store lives for the whole run; the worker
// learns and combines while the user-interface thread may delete everything, so every
// operation takes the store's lock. Other processes learn into the same file (the window beside
// a command-line batch, several batches), so a save takes the file's lock, reads what they
// saved, adds what this store learned since its last save, and writes the result.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "engine/noise_profile.h"
#include "exif/image_descriptor.h"
#include "settings/learned_profile_record.h"

namespace stillpix {

inline constexpr char kProfileFileName[] = "sxprofiles.sxp";
inline constexpr char kProfileFileMagic[] = "SX2PRFL";  // 7 bytes in the file, no terminator
constexpr std::size_t kProfileFileHeaderBytes = 11;
// The record count is a signed 32-bit number and the whole file must stay below 2 GiB.
constexpr int32_t kMaxLearnedRecords =
    static_cast<int32_t>((INT32_MAX - kProfileFileHeaderBytes) / kLearnedProfileRecordBytes);

// The file in `folder`; empty when no folder is set.
std::filesystem::path ProfileFilePath(const std::filesystem::path& folder);
// The lock file beside it (beside the file a link points to), held by every save.
std::filesystem::path ProfileLockPath(const std::filesystem::path& file);

enum class DamagedRecords { kLeaveOut, kRefuse };
// Reads a profile file whole: true with its records. A missing, short, foreign or
// size-inconsistent file is false with the reason in `error`; so is a file with an unusable
// record under kRefuse, while kLeaveOut drops such records as the program's start-up does.
bool ReadLearnedProfileFile(const std::filesystem::path& file,
                            std::vector<LearnedProfileRecord>& out, DamagedRecords damaged,
                            std::string* error = nullptr);
// Writes `records` as a profile file through a temporary sibling (the old file stays whole
// when it fails).
bool WriteLearnedProfileFile(const std::filesystem::path& file,
                             const std::vector<LearnedProfileRecord>& records,
                             std::string* error = nullptr);

enum class LearnOutcome {
    kNotEligible,     // self-learning off, or the image does not qualify
    kAppended,        // a new record
    kMerged,          // merged into a record of the same camera, ISO and light value
    kAlreadyLearned,  // this image is already among a matching record's contributors
    kRefused,         // the matching record is full (99 images), or the store is full
};

struct LearnResult {
    LearnOutcome outcome = LearnOutcome::kNotEligible;
    bool saved = false;  // the file was rewritten (only tried when eligible)
};

class LearnedProfileStore {
public:
    explicit LearnedProfileStore(std::filesystem::path folder = {});
    LearnedProfileStore(const LearnedProfileStore&) = delete;
    LearnedProfileStore& operator=(const LearnedProfileStore&) = delete;

    // Takes effect at the next save; the records in memory stay.
    void SetFolder(std::filesystem::path folder);
    std::filesystem::path Folder() const;

    // Replaces the records by the file's when it is whole and ours; true then. A missing,
    // short, foreign or inconsistent file leaves the store as it was. Single records that are
    // not usable are left out.
    bool LoadProfileStore();
    // Under the file's lock: reads the file, adds what was learned here since the last save
    // (as learning would have added it to the file's records), and rewrites it through a
    // temporary sibling; the store then holds the result. A missing or damaged file is
    // replaced by this store's records. A failed write leaves the old file intact, and the
    // next save tries again.
    bool SaveProfileStore();
    // Merges another store's records into the file (MergeLearnedStores, under the lock) and
    // takes the result. False with a reason, the file unchanged, when the file is damaged or
    // cannot be written.
    bool ImportRecords(const std::vector<LearnedProfileRecord>& records, std::string& error);

    // True when `record` became a new record; false when it was merged, already learned or refused.
    bool AddLearnedProfile(std::string_view imagePath, const LearnedProfileRecord& record);
    // Learns a measured profile (when self-learning is on and the image qualifies) and saves.
    LearnResult LearnFromImage(std::string_view imagePath, const ImageDescriptor& descriptor,
                               const NoiseProfile& profile, bool selfLearning);
    // Combines the records matching `descriptor` into `out` (the caller resets it first);
    // true when at least one record contributed.
    bool BuildLearnedProfile(const ImageDescriptor& descriptor, NoiseProfile& out,
                             bool selfLearning) const;

    void Clear();
    // "Delete Learned Profiles": clear, then save (the file keeps the magic and count 0).
    bool ClearAndSave();

    int32_t Count() const;
    std::vector<LearnedProfileRecord> Records() const;  // a copy, in list order

private:
    LearnOutcome AddLocked(uint32_t id, const LearnedProfileRecord& record);
    // `replayed`, when given, gets the outcomes of the unsaved learning against the file.
    bool SaveLocked(std::vector<LearnOutcome>* replayed = nullptr);

    mutable std::mutex mutex_;
    std::filesystem::path folder_;
    std::vector<LearnedProfileRecord> records_;
    // Images learned since the last save, one contributor each, in order.
    std::vector<LearnedProfileRecord> unsaved_;
};

}  // namespace stillpix
