// A hostile learned-profile file "sxprofiles.sxp", loaded as at start-up, then used as the
// worker uses it: learned profiles combined for each record's camera, a record learned again,
// and the store saved and loaded back unchanged.
//
// Input: byte 0 chooses the layout. Even: the rest is the file as it is. Odd: the rest is
// records, cut to whole ones, behind a correct header, so the fuzzer reaches the record checks.
#include <cstring>

#include "fuzz/fuzz_support.h"
#include "settings/profile_store.h"

namespace {

using namespace stillpix;
using namespace stillpix::fuzz;

std::vector<uint8_t> FileBytes(const uint8_t* data, std::size_t size) {
    if ((data[0] & 1) == 0) return std::vector<uint8_t>(data + 1, data + size);
    const std::size_t count = (size - 1) / kLearnedProfileRecordBytes;
    std::vector<uint8_t> bytes(kProfileFileMagic, kProfileFileMagic + 7);
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
    bytes.insert(bytes.end(), data + 1, data + 1 + count * kLearnedProfileRecordBytes);
    return bytes;
}

std::vector<std::array<uint8_t, kLearnedProfileRecordBytes>> Encoded(
    const LearnedProfileStore& store) {
    std::vector<std::array<uint8_t, kLearnedProfileRecordBytes>> out;
    for (const LearnedProfileRecord& record : store.Records())
        out.push_back(EncodeLearnedProfileRecord(record));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size < 1 || size > kMaxInputBytes) return -1;
    const auto folder = ScratchFolder() / "profiles";
    std::filesystem::create_directories(folder);
    WriteScratch("profiles/" + std::string(kProfileFileName), FileBytes(data, size));

    LearnedProfileStore store(folder);
    if (!store.LoadProfileStore()) {
        Require(store.Count() == 0, "a refused file adopts nothing");
        return 0;
    }
    const auto records = store.Records();
    for (const LearnedProfileRecord& record : records) {
        Require(IsUsableRecord(record), "the store keeps only usable records");
        NoiseProfile combined{};
        store.BuildLearnedProfile(record.descriptor, combined, true);
    }

    // A save merges with the file it finds: start from none, so the store is what gets written.
    const auto savedFolder = ScratchFolder() / "saved";
    std::filesystem::remove_all(savedFolder);
    store.SetFolder(savedFolder);
    if (!records.empty())
        store.LearnFromImage("/photos/again.jpg", records[0].descriptor, records[0].profile, true);
    Require(store.SaveProfileStore(), "the store saves");
    LearnedProfileStore reloaded(savedFolder);
    Require(reloaded.LoadProfileStore(), "a saved store loads");
    Require(Encoded(reloaded) == Encoded(store), "a saved store loads back unchanged");
    return 0;
}
