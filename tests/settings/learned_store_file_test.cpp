// The learned-profile record layout and "sxprofiles.sxp": exact bytes, every damaged-file case,
// and saves that fail part way.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cstring>
#include <functional>
#include <set>

#include "learned_fixtures.h"
#include "platform/atomic_file.h"
#include "settings/profile_matching.h"
#include "settings/profile_store.h"
#include "settings/record_codec.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

using test::Descriptor;
using test::ReadFileBytes;
using test::WriteFileBytes;
using Bytes = std::vector<uint8_t>;

LearnedProfileRecord Sample(int iso = 100) {
    return test::Record(Descriptor({.iso = iso}), test::UniformProfile(100, 10));
}

TEST(LearnedRecord, TheStructsLayoutWithReservedAndLinkWrittenZero) {
    static_assert(std::endian::native == std::endian::little,
                  "the record is compared with the struct's bytes");
    LearnedProfileRecord r = test::Record(Descriptor({.iso = 800}), test::UniformProfile(321, 7));
    r.contributors = 3, r.imageIds[0] = 0x11223344, r.imageIds[2] = 0xA0B0C0D0;
    r.reserved = 55, r.link = 0xDEADBEEF;  // a pointer's place
    const auto bytes = EncodeLearnedProfileRecord(r);
    // The struct has no padding (its size and offsets are checked at compile time), so on this
    // machine the record is its memory image.
    LearnedProfileRecord written = r;
    written.reserved = 0, written.link = 0;
    EXPECT_EQ(std::memcmp(bytes.data(), &written, sizeof written), 0);

    LearnedProfileRecord back;
    ASSERT_TRUE(DecodeLearnedProfileRecord(bytes, back));
    EXPECT_EQ(EncodeLearnedProfileRecord(back), bytes);
    EXPECT_FALSE(DecodeLearnedProfileRecord(std::span(bytes).first(1815), back));
}

TEST(LearnedRecord, ImpossibleCountsAreRefused) {
    using Change = std::function<void(LearnedProfileRecord&)>;
    const std::pair<Change, bool> cases[] = {
        {[](auto&) {}, false},
        {[](auto& r) { r.contributors = 99; }, false},
        {[](auto& r) { r.contributors = 0; }, true},
        {[](auto& r) { r.contributors = 100; }, true},
        {[](auto& r) { r.contributors = -5; }, true},
        {[](auto& r) { r.profile.bandCount = 0; }, true},
        {[](auto& r) { r.profile.bandCount = 6; }, true},
        {[](auto& r) { r.profile.bands[2].binCount = 17; }, true},
        {[](auto& r) { r.profile.bands[0].binCount = -1; }, true},
        {[](auto& r) { r.profile.bands[3].counts[10][2] = -1; }, true},
        {[](auto& r) { r.profile.bands[1].levels[4][0] = -300; }, true},
        // Unused slots may hold anything: they are never read.
        {[](auto& r) { r.profile.bands[4].binCount = 1000; }, false},
        {[](auto& r) { r.profile.bands[0].counts[12][0] = -9; }, false},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        LearnedProfileRecord r = Sample(), out;
        cases[i].first(r);
        EXPECT_EQ(!DecodeLearnedProfileRecord(EncodeLearnedProfileRecord(r), out), cases[i].second)
            << "case " << i;
    }
}

Bytes Header(int32_t count) {
    Bytes bytes = {'S', 'X', '2', 'P', 'R', 'F', 'L', 0, 0, 0, 0};
    PutI32(bytes, 7, count);
    return bytes;
}

Bytes FileOf(int32_t count, std::initializer_list<LearnedProfileRecord> records) {
    Bytes file = Header(count);
    for (const LearnedProfileRecord& r : records) {
        const auto bytes = EncodeLearnedProfileRecord(r);
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    return file;
}

class ProfileFile : public ::testing::Test {
protected:
    std::filesystem::path Folder() const { return temp_.Path() / "Profiles"; }
    std::filesystem::path File() const { return Folder() / "sxprofiles.sxp"; }

    // Three records of different ISO, as learning leaves them.
    void Learn(LearnedProfileStore& store) {
        for (int iso : {100, 200, 400})
            store.LearnFromImage("/photos/iso" + std::to_string(iso) + ".jpg",
                                 Descriptor({.iso = iso}),
                                 test::UniformProfile(static_cast<int16_t>(iso), 50), true);
        ASSERT_EQ(store.Count(), 3);
    }
    // Loads `file` into a store holding one record; the count afterwards, or -1 when refused.
    int32_t LoadedCount(const Bytes& file) {
        std::filesystem::create_directories(Folder());
        WriteFileBytes(File(), file);
        LearnedProfileStore store(Folder());
        store.AddLearnedProfile("/x.jpg", test::Record(Descriptor({}), test::UniformProfile(1, 1)));
        const bool loaded = store.LoadProfileStore();
        EXPECT_TRUE(loaded || store.Count() == 1);  // a refused file leaves the store alone
        return loaded ? store.Count() : -1;
    }

    test::TempFolder temp_;
};

TEST_F(ProfileFile, RoundTripsByteExact) {
    LearnedProfileStore store(Folder());
    Learn(store);
    const auto bytes = ReadFileBytes(File());
    ASSERT_EQ(bytes.size(), 11u + 3 * 1816);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 7), "SX2PRFL");
    EXPECT_EQ(GetI32(bytes, 7), 3);
    EXPECT_EQ(GetI32(bytes, 11 + 8 + 264), 100);  // first record's ISO
    EXPECT_EQ(GetI32(bytes, 11 + 1816 + 8 + 264), 200);
    LearnedProfileStore reloaded(Folder());
    ASSERT_TRUE(reloaded.LoadProfileStore());
    EXPECT_EQ(reloaded.Count(), 3);
    std::filesystem::remove(File());
    ASSERT_TRUE(reloaded.SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(File()), bytes);
}

// The refusals that name their reason: StrictReadingNamesTheDamage.
TEST_F(ProfileFile, EmptyAndInconsistentFiles) {
    EXPECT_EQ(LoadedCount(Header(0)), 0);                         // exactly 11 bytes
    EXPECT_EQ(LoadedCount(FileOf(3, {Sample(), Sample()})), -1);  // two of three
    EXPECT_EQ(LoadedCount(Header(-1)), -1);
    EXPECT_EQ(LoadedCount(FileOf(536870913, {Sample()})),
              -1);  // 1816 x (2^29 + 1) wraps in 32 bits to 1816
    std::filesystem::remove(File());
    std::filesystem::create_directory(File());  // not a file at all
    EXPECT_FALSE(LearnedProfileStore(Folder()).LoadProfileStore());
}

TEST_F(ProfileFile, DamagedRecordsAreLeftOutAndNeverWrittenBack) {
    LearnedProfileRecord good = Sample(), tooMany = good, none = good, bins = good;
    good.imageIds[0] = 7;
    tooMany.contributors = 100, none.contributors = 0, bins.profile.bands[1].binCount = 40;
    std::filesystem::create_directories(Folder());
    WriteFileBytes(File(), FileOf(5, {good, tooMany, none, bins, good}));
    LearnedProfileStore store(Folder());
    ASSERT_TRUE(store.LoadProfileStore());
    ASSERT_EQ(store.Count(), 2);
    ASSERT_TRUE(store.SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(File()), FileOf(2, {good, good}));
}

// The file's integrity under faults is in tests/faults; here the run's side of a failed save.
TEST_F(ProfileFile, FailedSaveKeepsWhatWasLearned) {
    LearnedProfileStore store(Folder());
    Learn(store);
    InjectWriteFailureAfter(1);  // the disk fills during the next write
    const LearnResult r = store.LearnFromImage("/photos/new.jpg", Descriptor({.iso = 1600}),
                                               test::UniformProfile(9, 9), true);
    InjectWriteFailureAfter(0);
    EXPECT_EQ(r.outcome, LearnOutcome::kAppended);
    EXPECT_FALSE(r.saved);
    EXPECT_EQ(store.Count(), 4);  // the run goes on with what it learned
    ASSERT_TRUE(store.SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(File()).size(), 11u + 4 * 1816);
    // "Delete Learned Profiles" leaves an empty store in the file.
    ASSERT_TRUE(store.ClearAndSave());
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(ReadFileBytes(File()), Header(0));
}

TEST_F(ProfileFile, StrictReadingNamesTheDamage) {
    LearnedProfileRecord good = Sample(), bad = good;
    bad.contributors = 0;
    Bytes foreign = FileOf(1, {good});
    foreign[0] = 'Q';
    const std::pair<Bytes, const char*> cases[] = {
        {FileOf(1, {good}), ""},
        {Header(0), ""},
        {{'S', 'X'}, "too short for a learned-profile file"},
        {foreign, "not a learned-profile file (it does not start with \"SX2PRFL\")"},
        {FileOf(2, {good}), "damaged: it claims 2 records but holds 1816 bytes after its header"},
        {FileOf(2, {good, bad}), "damaged: record 2 has impossible counts or sizes"},
    };
    std::filesystem::create_directories(Folder());
    for (const auto& [bytes, reason] : cases) {
        WriteFileBytes(File(), bytes);
        std::vector<LearnedProfileRecord> records;
        std::string error;
        EXPECT_EQ(ReadLearnedProfileFile(File(), records, DamagedRecords::kRefuse, &error),
                  *reason == 0);
        EXPECT_EQ(error, reason);
    }
    std::vector<LearnedProfileRecord> records;
    EXPECT_TRUE(ReadLearnedProfileFile(File(), records, DamagedRecords::kLeaveOut));
    EXPECT_EQ(records.size(), 1u);
}

TEST_F(ProfileFile, ProcessesLearningAtOnceKeepEveryImage) {
    // Each round two processes learn at once into the same file: images of one camera that
    // merge into one record, and images of a camera each.
    constexpr int kRounds = 3, kProcesses = 2, kImages = 8;
    auto path = [](int round, int process, int i) {
        return "/r" + std::to_string(round) + "/p" + std::to_string(process) + "/" +
               std::to_string(i) + ".jpg";
    };
    for (int round = 0; round < kRounds; ++round) {
        int start[2];
        ASSERT_EQ(::pipe(start), 0);
        std::vector<pid_t> children;
        for (int process = 0; process < kProcesses; ++process) {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child > 0) {
                children.push_back(child);
                continue;
            }
            ::close(start[1]);
            char go;
            (void)!::read(start[0], &go, 1);  // both begin when the pipe closes
            LearnedProfileStore store(Folder());
            store.LoadProfileStore();
            bool saved = true;
            for (int i = 0; i < kImages; ++i) {
                const std::string model = path(round, process, i);
                const test::Shot shot = i % 2 ? test::Shot{.model = model.c_str()} : test::Shot{};
                saved &= store
                             .LearnFromImage(path(round, process, i), Descriptor(shot),
                                             test::UniformProfile(100, 10), true)
                             .saved;
            }
            ::_exit(saved ? 0 : 1);
        }
        ::close(start[0]);
        ::close(start[1]);
        for (const pid_t child : children) {
            int status = 0;
            ASSERT_EQ(::waitpid(child, &status, 0), child);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
    }
    LearnedProfileStore store(Folder());
    ASSERT_TRUE(store.LoadProfileStore());
    std::set<uint32_t> ids;
    for (const LearnedProfileRecord& r : store.Records())
        ids.insert(r.imageIds, r.imageIds + r.contributors);
    for (int round = 0; round < kRounds; ++round)
        for (int process = 0; process < kProcesses; ++process)
            for (int i = 0; i < kImages; ++i)
                EXPECT_EQ(ids.count(ImageId(path(round, process, i))), 1u)
                    << path(round, process, i);
    EXPECT_EQ(store.Count(), 1 + kRounds * kProcesses * kImages / 2);
    EXPECT_FALSE(std::filesystem::exists(ProfileLockPath(File())));
}

TEST_F(ProfileFile, ImportMergesAndRefusesADamagedStore) {
    LearnedProfileStore store(Folder());
    Learn(store);
    LearnedProfileRecord other = Sample(1600);
    other.imageIds[0] = 77;
    std::string error;
    ASSERT_TRUE(store.ImportRecords({other, store.Records()[0]}, error)) << error;
    EXPECT_EQ(store.Count(), 4);
    LearnedProfileStore reloaded(Folder());
    ASSERT_TRUE(reloaded.LoadProfileStore());
    EXPECT_EQ(reloaded.Count(), 4);

    Bytes damaged = ReadFileBytes(File());
    damaged.pop_back();
    WriteFileBytes(File(), damaged);
    EXPECT_FALSE(store.ImportRecords({other}, error));
    EXPECT_NE(error.find("damaged: it claims 4 records"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(File()), damaged);
}

TEST_F(ProfileFile, FolderIsCreatedAndABlockedOneFails) {
    EXPECT_TRUE(LearnedProfileStore(temp_.Path() / "a" / "b" / "Profiles").SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(temp_.Path() / "a" / "b" / "Profiles" / "sxprofiles.sxp"), Header(0));
    WriteFileBytes(temp_.Path() / "blocker", {1});
    EXPECT_FALSE(LearnedProfileStore(temp_.Path() / "blocker" / "Profiles").SaveProfileStore());
    LearnedProfileStore unset;
    EXPECT_FALSE(unset.SaveProfileStore());
    EXPECT_FALSE(unset.LoadProfileStore());
    EXPECT_EQ(ProfileFilePath("/p/Profiles"), std::filesystem::path("/p/Profiles/sxprofiles.sxp"));
    EXPECT_EQ(ProfileFilePath("/p/Profiles/"), std::filesystem::path("/p/Profiles/sxprofiles.sxp"));
    EXPECT_TRUE(ProfileFilePath("").empty());
}

}  // namespace
}  // namespace stillpix
