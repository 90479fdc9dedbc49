// The learned-profile record layout and "sxprofiles.sxp": exact bytes, every damaged-file case,
// and saves that fail part way.
#include <gtest/gtest.h>

#include "learned_fixtures.h"
#include "platform/atomic_file.h"
#include "settings/profile_store.h"
#include "settings/record_codec.h"
#include "temp_folder.h"

namespace stillpix {
namespace {

using test::Descriptor;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(LearnedRecord, LayoutByOffset) {
    LearnedProfileRecord r = test::Record(Descriptor({.iso = 800}), test::UniformProfile(321, 7));
    r.contributors = 3;
    r.reserved = 55;   // written 0
    r.link = 0xDEADBEEF;   // a pointer's place: written 0
    r.imageIds[0] = 0x11223344;
    r.imageIds[2] = 0xA0B0C0D0;
    const auto bytes = EncodeLearnedProfileRecord(r);
    EXPECT_EQ(GetI32(bytes, 0), 3);
    EXPECT_EQ(GetI32(bytes, 4), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 8)), "Canon");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data() + 108)), "Canon EOS 300D DIGITAL");
    EXPECT_EQ(GetI32(bytes, 8 + 264), 800);
    EXPECT_EQ(GetI32(bytes, 408), 4);          // band count
    EXPECT_EQ(GetI32(bytes, 412), 11);         // band 0 bin count
    EXPECT_EQ(GetI32(bytes, 416), 0);          // band 0 index
    EXPECT_EQ(bytes[420] | bytes[421] << 8, 321);   // band 0, bin 0, Y level
    EXPECT_EQ(GetI32(bytes, 408 + 4 + 200 + 4), 1);   // band 1 index
    EXPECT_EQ(GetI32(bytes, 1412), 0);
    EXPECT_EQ(static_cast<uint32_t>(GetI32(bytes, 1416)), 0x11223344u);
    EXPECT_EQ(static_cast<uint32_t>(GetI32(bytes, 1424)), 0xA0B0C0D0u);

    LearnedProfileRecord back;
    ASSERT_TRUE(DecodeLearnedProfileRecord(bytes, back));
    EXPECT_EQ(EncodeLearnedProfileRecord(back), bytes);
    EXPECT_FALSE(DecodeLearnedProfileRecord(std::span(bytes).first(1815), back));
}

TEST(LearnedRecord, ImpossibleCountsAreRefused) {
    const LearnedProfileRecord good = test::Record(Descriptor({}), test::UniformProfile(100, 10));
    LearnedProfileRecord out;
    auto refused = [&](auto change) {
        LearnedProfileRecord r = good;
        change(r);
        return !DecodeLearnedProfileRecord(EncodeLearnedProfileRecord(r), out);
    };
    EXPECT_FALSE(refused([](LearnedProfileRecord&) {}));
    EXPECT_FALSE(refused([](LearnedProfileRecord& r) { r.contributors = 99; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.contributors = 0; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.contributors = 100; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.contributors = -5; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.profile.bandCount = 0; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.profile.bandCount = 6; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.profile.bands[2].binCount = 17; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.profile.bands[0].binCount = -1; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.profile.bands[3].counts[10][2] = -1; }));
    EXPECT_TRUE(refused([](LearnedProfileRecord& r) { r.profile.bands[1].levels[4][0] = -300; }));
    // Unused slots may hold anything: they are never read.
    EXPECT_FALSE(refused([](LearnedProfileRecord& r) { r.profile.bands[4].binCount = 1000; }));
    EXPECT_FALSE(refused([](LearnedProfileRecord& r) { r.profile.bands[0].counts[12][0] = -9; }));
}

class ProfileFile : public ::testing::Test {
protected:
    std::filesystem::path Folder() const { return temp_.Path() / "Profiles"; }
    std::filesystem::path File() const { return Folder() / "sxprofiles.sxp"; }

    // Three records of different ISO, as learning leaves them.
    void Learn(LearnedProfileStore& store) {
        for (int iso : {100, 200, 400}) {
            const auto d = Descriptor({.iso = iso});
            store.LearnFromImage("/photos/iso" + std::to_string(iso) + ".jpg", d,
                                 test::UniformProfile(static_cast<int16_t>(iso), 50), true);
        }
        ASSERT_EQ(store.Count(), 3);
    }
    std::vector<uint8_t> Header(int32_t count) {
        std::vector<uint8_t> bytes = {'S', 'X', '2', 'P', 'R', 'F', 'L', 0, 0, 0, 0};
        PutI32(bytes, 7, count);
        return bytes;
    }
    void Append(std::vector<uint8_t>& file, const LearnedProfileRecord& r) {
        const auto bytes = EncodeLearnedProfileRecord(r);
        file.insert(file.end(), bytes.begin(), bytes.end());
    }
    // A store holding one record, to see that a refused file leaves it alone.
    bool LoadsIntoPrimedStore(const std::vector<uint8_t>& file, int32_t& countAfter) {
        std::filesystem::create_directories(Folder());
        WriteFileBytes(File(), file);
        LearnedProfileStore store(Folder());
        store.AddLearnedProfile("/x.jpg", test::Record(Descriptor({}), test::UniformProfile(1, 1)));
        const bool loaded = store.LoadProfileStore();
        countAfter = store.Count();
        return loaded;
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
    EXPECT_EQ(GetI32(bytes, 11 + 8 + 264), 100);        // first record's ISO
    EXPECT_EQ(GetI32(bytes, 11 + 1816 + 8 + 264), 200);

    LearnedProfileStore reloaded(Folder());
    ASSERT_TRUE(reloaded.LoadProfileStore());
    EXPECT_EQ(reloaded.Count(), 3);
    std::filesystem::remove(File());
    ASSERT_TRUE(reloaded.SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(File()), bytes);
}

TEST_F(ProfileFile, EmptyAndInconsistentFiles) {
    int32_t count = 0;
    EXPECT_TRUE(LoadsIntoPrimedStore(Header(0), count));   // exactly 11 bytes
    EXPECT_EQ(count, 0);

    const LearnedProfileRecord r = test::Record(Descriptor({}), test::UniformProfile(100, 10));
    std::vector<uint8_t> twoOfThree = Header(3);
    Append(twoOfThree, r);
    Append(twoOfThree, r);
    EXPECT_FALSE(LoadsIntoPrimedStore(twoOfThree, count));
    EXPECT_EQ(count, 1);

    std::vector<uint8_t> wrongMagic = Header(1);
    wrongMagic[2] = '3';
    Append(wrongMagic, r);
    EXPECT_FALSE(LoadsIntoPrimedStore(wrongMagic, count));

    EXPECT_FALSE(LoadsIntoPrimedStore({'S', 'X', '2', 'P', 'R', 'F', 'L', 0, 0, 0}, count));
    EXPECT_FALSE(LoadsIntoPrimedStore({}, count));

    std::vector<uint8_t> negative = Header(-1);
    EXPECT_FALSE(LoadsIntoPrimedStore(negative, count));

    // 1816 x (2^29 + 1) wraps in 32 bits to 1816: one record's worth of file.
    std::vector<uint8_t> wrapping = Header(536870913);
    Append(wrapping, r);
    EXPECT_FALSE(LoadsIntoPrimedStore(wrapping, count));
    EXPECT_EQ(count, 1);

    std::filesystem::remove(File());
    std::filesystem::create_directory(File());   // not a file at all
    LearnedProfileStore store(Folder());
    EXPECT_FALSE(store.LoadProfileStore());
}

TEST_F(ProfileFile, DamagedRecordsAreLeftOutAndNeverWrittenBack) {
    LearnedProfileRecord good = test::Record(Descriptor({.iso = 100}), test::UniformProfile(100, 10));
    good.imageIds[0] = 7;
    LearnedProfileRecord tooMany = good;
    tooMany.contributors = 100;
    LearnedProfileRecord none = good;
    none.contributors = 0;
    LearnedProfileRecord bins = good;
    bins.profile.bands[1].binCount = 40;
    std::vector<uint8_t> file = Header(5);
    for (const auto& r : {good, tooMany, none, bins, good}) Append(file, r);
    std::filesystem::create_directories(Folder());
    WriteFileBytes(File(), file);

    LearnedProfileStore store(Folder());
    ASSERT_TRUE(store.LoadProfileStore());
    ASSERT_EQ(store.Count(), 2);
    ASSERT_TRUE(store.SaveProfileStore());
    std::vector<uint8_t> expected = Header(2);
    Append(expected, good);
    Append(expected, good);
    EXPECT_EQ(ReadFileBytes(File()), expected);
}

TEST_F(ProfileFile, FailedSaveKeepsTheOldFile) {
    LearnedProfileStore store(Folder());
    Learn(store);
    const auto before = ReadFileBytes(File());
    InjectWriteFailureAfter(1);   // the disk fills during the next write
    const LearnResult r = store.LearnFromImage("/photos/new.jpg", Descriptor({.iso = 1600}),
                                               test::UniformProfile(9, 9), true);
    InjectWriteFailureAfter(0);
    EXPECT_EQ(r.outcome, LearnOutcome::kAppended);
    EXPECT_FALSE(r.saved);
    EXPECT_EQ(ReadFileBytes(File()), before);
    EXPECT_EQ(store.Count(), 4);   // the run goes on with what it learned
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1u);          // no temporary left behind
    ASSERT_TRUE(store.SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(File()).size(), 11u + 4 * 1816);
}

TEST_F(ProfileFile, FolderIsCreatedAndABlockedOneFails) {
    LearnedProfileStore nested(temp_.Path() / "a" / "b" / "Profiles");
    EXPECT_TRUE(nested.SaveProfileStore());
    EXPECT_EQ(ReadFileBytes(temp_.Path() / "a" / "b" / "Profiles" / "sxprofiles.sxp"), Header(0));

    WriteFileBytes(temp_.Path() / "blocker", {1});
    LearnedProfileStore blocked(temp_.Path() / "blocker" / "Profiles");
    EXPECT_FALSE(blocked.SaveProfileStore());
    LearnedProfileStore unset;
    EXPECT_FALSE(unset.SaveProfileStore());
    EXPECT_FALSE(unset.LoadProfileStore());
}

TEST_F(ProfileFile, DeleteLearnedProfilesLeavesAnEmptyStore) {
    LearnedProfileStore store(Folder());
    Learn(store);
    ASSERT_TRUE(store.ClearAndSave());
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(ReadFileBytes(File()), Header(0));
}

TEST(ProfileFilePath, JoinsTheFolderOnce) {
    EXPECT_EQ(ProfileFilePath("/p/Profiles"), std::filesystem::path("/p/Profiles/sxprofiles.sxp"));
    EXPECT_EQ(ProfileFilePath("/p/Profiles/"), std::filesystem::path("/p/Profiles/sxprofiles.sxp"));
    EXPECT_TRUE(ProfileFilePath("").empty());
}

}  // namespace
}  // namespace stillpix
