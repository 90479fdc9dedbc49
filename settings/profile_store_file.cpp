// Reading and writing "sxprofiles.sxp": the magic, a signed 32-bit record count, the records.
#include <cstring>
#include <fstream>
#include <system_error>

#include "engine/little_endian.h"
#include "platform/atomic_file.h"
#include "platform/file_lock.h"
#include "platform/regular_file.h"
#include "settings/learned_profile_merge.h"
#include "settings/profile_store.h"

namespace stillpix {
namespace {

constexpr std::size_t kMagicBytes = 7;

bool Refuse(std::string* error, std::string reason) {
    if (error) *error = std::move(reason);
    return false;
}

}  // namespace

// Everything the file claims must hold before a single record is adopted.
bool ReadLearnedProfileFile(const std::filesystem::path& path,
                            std::vector<LearnedProfileRecord>& out, DamagedRecords damaged,
                            std::string* error) {
    uint64_t size = 0;
    std::string reason;
    if (!CheckRegularFile(path, reason, &size)) return Refuse(error, "cannot read it: " + reason);
    std::ifstream in(path, std::ios::binary);
    uint8_t header[kProfileFileHeaderBytes];
    if (size < kProfileFileHeaderBytes || !in.read(reinterpret_cast<char*>(header), sizeof header))
        return Refuse(error, "too short for a learned-profile file");
    if (std::memcmp(header, kProfileFileMagic, kMagicBytes) != 0)
        return Refuse(error, "not a learned-profile file (it does not start with \"SX2PRFL\")");
    const int32_t count = GetI32(header, kMagicBytes);
    // 64-bit arithmetic: a count whose 1816 x m wraps in 32 bits to the real length is damage.
    if (count < 0 || count > kMaxLearnedRecords ||
        size - kProfileFileHeaderBytes != uint64_t{kLearnedProfileRecordBytes} * uint64_t(count))
        return Refuse(error, "damaged: it claims " + std::to_string(count) + " records but holds " +
                                 std::to_string(size - kProfileFileHeaderBytes) +
                                 " bytes after its header");

    std::vector<LearnedProfileRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    uint8_t bytes[kLearnedProfileRecordBytes];
    for (int32_t i = 0; i < count; ++i) {
        if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes))
            return Refuse(error, "it shrank while being read");
        LearnedProfileRecord record;
        if (DecodeLearnedProfileRecord(bytes, record)) records.push_back(record);
        else if (damaged == DamagedRecords::kRefuse)
            return Refuse(error, "damaged: record " + std::to_string(i + 1) +
                                     " has impossible counts or sizes");
    }
    if (in.peek() != std::char_traits<char>::eof())
        return Refuse(error, "it grew while being read");
    out = std::move(records);
    return true;
}

bool WriteLearnedProfileFile(const std::filesystem::path& file,
                             const std::vector<LearnedProfileRecord>& records, std::string* error) {
    std::vector<uint8_t> bytes(kProfileFileMagic, kProfileFileMagic + kMagicBytes);
    bytes.reserve(kProfileFileHeaderBytes + records.size() * kLearnedProfileRecordBytes);
    bytes.resize(kProfileFileHeaderBytes);
    PutI32(bytes, kMagicBytes, static_cast<int32_t>(records.size()));
    for (const LearnedProfileRecord& record : records) {
        const auto encoded = EncodeLearnedProfileRecord(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    return WriteFileAtomically(file, bytes, error);
}

std::filesystem::path ProfileFilePath(const std::filesystem::path& folder) {
    if (folder.empty()) return {};
    return folder / kProfileFileName;
}

// Beside the file that is written, links followed, so that every way to it takes one lock.
std::filesystem::path ProfileLockPath(const std::filesystem::path& file) {
    std::error_code ec;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(file, ec);
    return (ec ? file : resolved).string() + ".lock";
}

bool LearnedProfileStore::LoadProfileStore() {
    std::lock_guard lock(mutex_);
    const auto path = ProfileFilePath(folder_);
    if (path.empty()) return false;
    std::vector<LearnedProfileRecord> records;
    if (!ReadLearnedProfileFile(path, records, DamagedRecords::kLeaveOut)) return false;
    records_ = std::move(records);
    unsaved_.clear();
    return true;
}

bool LearnedProfileStore::SaveProfileStore() {
    std::lock_guard lock(mutex_);
    return SaveLocked();
}

bool LearnedProfileStore::SaveLocked(std::vector<LearnOutcome>* replayed) {
    const auto path = ProfileFilePath(folder_);
    if (path.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (!std::filesystem::is_directory(folder_, error)) return false;
    const ExclusiveFileLock fileLock(ProfileLockPath(path));
    if (!fileLock.Held()) return false;  // unlocked, it could drop another process's records

    // What another process saved meanwhile stays; this store's own learning goes on top.
    std::vector<LearnedProfileRecord> saved;
    if (ReadLearnedProfileFile(path, saved, DamagedRecords::kLeaveOut)) {
        for (const LearnedProfileRecord& image : unsaved_) {
            const LearnOutcome outcome = FoldLearnedRecord(saved, image);
            if (replayed) replayed->push_back(outcome);
        }
        records_ = std::move(saved);
    }
    if (!WriteLearnedProfileFile(path, records_)) return false;
    unsaved_.clear();
    return true;
}

bool LearnedProfileStore::ClearAndSave() {
    std::lock_guard lock(mutex_);
    records_.clear();
    unsaved_.clear();
    const auto path = ProfileFilePath(folder_);
    if (path.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    const ExclusiveFileLock fileLock(ProfileLockPath(path));
    return fileLock.Held() && WriteLearnedProfileFile(path, records_);
}

bool LearnedProfileStore::ImportRecords(const std::vector<LearnedProfileRecord>& records,
                                        std::string& error) {
    std::lock_guard lock(mutex_);
    const auto path = ProfileFilePath(folder_);
    if (path.empty()) {
        error = "no learned-profile folder is set";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const ExclusiveFileLock fileLock(ProfileLockPath(path));
    if (!fileLock.Held()) {
        error = fileLock.Error();
        return false;
    }
    std::vector<LearnedProfileRecord> saved;
    if (std::filesystem::exists(path, ec) &&
        !ReadLearnedProfileFile(path, saved, DamagedRecords::kRefuse, &error)) {
        error = path.string() + ": " + error;
        return false;
    }
    for (const LearnedProfileRecord& image : unsaved_) FoldLearnedRecord(saved, image);
    const std::vector<LearnedProfileRecord> stores[] = {saved, records};
    std::vector<LearnedProfileRecord> merged = MergeLearnedStores(stores);
    if (!WriteLearnedProfileFile(path, merged, &error)) return false;
    records_ = std::move(merged);
    unsaved_.clear();
    return true;
}

}  // namespace stillpix
