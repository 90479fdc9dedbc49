// Reading and writing "sxprofiles.sxp": the magic, a signed 32-bit record count, the records.
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/atomic_file.h"
#include "settings/profile_store.h"

namespace stillpix {
namespace {

constexpr std::size_t kMagicBytes = 7;

// Everything the file claims must hold before a single record is adopted.
bool ReadProfileFile(const std::filesystem::path& path, std::vector<LearnedProfileRecord>& out) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size < kProfileFileHeaderBytes) return false;
    std::ifstream in(path, std::ios::binary);
    uint8_t header[kProfileFileHeaderBytes];
    if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return false;
    if (std::memcmp(header, kProfileFileMagic, kMagicBytes) != 0) return false;
    const int32_t count =
        static_cast<int32_t>(uint32_t{header[7]} | uint32_t{header[8]} << 8 |
                             uint32_t{header[9]} << 16 | uint32_t{header[10]} << 24);
    // 64-bit arithmetic: a count whose 1816 x m wraps in 32 bits to the real length is damage.
    if (count < 0 || count > kMaxLearnedRecords) return false;
    if (size - kProfileFileHeaderBytes != uint64_t{kLearnedProfileRecordBytes} * uint64_t(count))
        return false;

    std::vector<LearnedProfileRecord> records;
    records.reserve(static_cast<std::size_t>(count));
    uint8_t bytes[kLearnedProfileRecordBytes];
    for (int32_t i = 0; i < count; ++i) {
        if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes))
            return false;  // shrank meanwhile
        LearnedProfileRecord record;
        if (DecodeLearnedProfileRecord(bytes, record)) records.push_back(record);
    }
    if (in.peek() != std::char_traits<char>::eof()) return false;  // grew meanwhile
    out = std::move(records);
    return true;
}

void PutI32(std::vector<uint8_t>& bytes, int32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

}  // namespace

std::filesystem::path ProfileFilePath(const std::filesystem::path& folder) {
    if (folder.empty()) return {};
    return folder / kProfileFileName;
}

bool LearnedProfileStore::LoadProfileStore() {
    std::lock_guard lock(mutex_);
    const auto path = ProfileFilePath(folder_);
    if (path.empty()) return false;
    std::vector<LearnedProfileRecord> records;
    if (!ReadProfileFile(path, records)) return false;
    records_ = std::move(records);
    return true;
}

bool LearnedProfileStore::SaveProfileStore() const {
    std::lock_guard lock(mutex_);
    return SaveLocked();
}

bool LearnedProfileStore::SaveLocked() const {
    const auto path = ProfileFilePath(folder_);
    if (path.empty()) return false;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (!std::filesystem::is_directory(folder_, error)) return false;

    std::vector<uint8_t> bytes(kProfileFileMagic, kProfileFileMagic + kMagicBytes);
    bytes.reserve(kProfileFileHeaderBytes + records_.size() * kLearnedProfileRecordBytes);
    PutI32(bytes, static_cast<int32_t>(records_.size()));
    for (const LearnedProfileRecord& record : records_) {
        const auto encoded = EncodeLearnedProfileRecord(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    return WriteFileAtomically(path, bytes);
}

}  // namespace stillpix
