// The options through the real store: first start, every record absent, intact and damaged, a
// failed save, and the recent-folder list.
#include <gtest/gtest.h>

#include "settings/persisted_settings.h"
#include "settings/record_codec.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

using test::StoreTest;
using Bytes = std::vector<uint8_t>;

Bytes Of(std::span<const uint8_t> bytes) { return {bytes.begin(), bytes.end()}; }

TEST_F(StoreTest, FirstStartGivesDefaultsAndWritesOnlyTheProfileFolder) {
    const auto defaultFolder = folder_.Path() / "data" / "Profiles";
    AppOptions options = LoadSettings(store_, defaultFolder);
    EXPECT_EQ(Of(EncodeAppSettings(options.settings)), Of(EncodeAppSettings(AppSettings{})));
    EXPECT_EQ(Of(EncodeAppSettings2(options.settings2)), Of(EncodeAppSettings2(AppSettings2{})));
    EXPECT_EQ(Of(EncodeAppSettings3(options.settings3)), Of(EncodeAppSettings3(AppSettings3{})));
    EXPECT_EQ(options.profileFolder, defaultFolder.string());
    EXPECT_EQ(store_.ReadText(kOptionsGroup, kProfileValue), defaultFolder.string());
    EXPECT_FALSE(store_.ReadBytes(kOptionsGroup, kSettingsValue)
                     .has_value());  // nothing else until a change
    // Without a stored batch record, its defaults follow the general options.
    options.settings.jpegQuality = 60;
    EXPECT_EQ(LoadBatchSettings(store_, options.settings).jpegQuality, 60);

    // A chosen folder stays, and the slot is stored as slot + 100.
    options.settings.defaultFilterSlot = 12, options.engineThreads = 3;
    options.profileFolder = "/mnt/photos/profiles";
    ASSERT_TRUE(SaveSettings(store_, options));
    EXPECT_EQ(GetI32(store_.ReadBytes(kOptionsGroup, kSettingsValue).value(), 64), 112);
    const AppOptions back = LoadSettings(store_, defaultFolder);
    EXPECT_EQ(std::tuple(back.settings.defaultFilterSlot, back.profileFolder, back.engineThreads),
              std::tuple(12, "/mnt/photos/profiles", 3));
    for (const char* bad : {"65", "-1", "3x", ""}) {
        ASSERT_TRUE(store_.WriteText(kOptionsGroup, kThreadsValue, bad));
        EXPECT_EQ(LoadSettings(store_, defaultFolder).engineThreads, 0) << bad;
    }
}

TEST_F(StoreTest, FailedWritesAreReportedAndReadsGiveDefaults) {
    test::WriteFileBytes(folder_.Path() / "blocker", {1});
    QSettingsStore unwritable(folder_.Path() / "blocker" / "settings.conf");
    AppOptions options;
    options.profileFolder = "/p";
    EXPECT_FALSE(SaveSettings(unwritable, options));
    EXPECT_FALSE(SaveBatchSettings(unwritable, BatchSettings{}));
    EXPECT_FALSE(SaveRecentFolders(unwritable, {"/a/"}, 5));
    const AppOptions back = LoadSettings(unwritable, "/d/Profiles");
    EXPECT_EQ(back.settings.jpegQuality, 90);
    EXPECT_EQ(back.profileFolder, "/d/Profiles");
}

// Every record through the real store, re-encoded the way the program would save it again.
struct RecordCase {
    const char* value;
    std::size_t size;
    Bytes sample;  // with some values that are not the defaults
    Bytes defaults;
    Bytes (*reloaded)(SettingsStore& store, const AppOptions& options);
};

std::vector<RecordCase> RecordCases() {
    AppSettings s;
    s.jpegQuality = 77, s.defaultFilterSlot = 9;
    SetFieldText(s.defaultSuffix, "_nr");
    AppSettings2 s2;
    s2.selfLearning = 0, s2.iccHandling = 1;
    AppSettings3 s3;
    s3.recentLength = 8;
    BatchSettings b;
    b.destination = kOtherLocation, b.filter = 16;
    SetFieldText(b.destinationPath, "/srv/out");
    return {
        {kSettingsValue, 96, Of(EncodeAppSettings(s)), Of(EncodeAppSettings({})),
         [](SettingsStore&, const AppOptions& o) { return Of(EncodeAppSettings(o.settings)); }},
        {kSettings2Value, 48, Of(EncodeAppSettings2(s2)), Of(EncodeAppSettings2({})),
         [](SettingsStore&, const AppOptions& o) { return Of(EncodeAppSettings2(o.settings2)); }},
        {kSettings3Value, 44, Of(EncodeAppSettings3(s3)), Of(EncodeAppSettings3({})),
         [](SettingsStore&, const AppOptions& o) { return Of(EncodeAppSettings3(o.settings3)); }},
        {kBatchValue, 344, Of(EncodeBatchSettings(b)),
         Of(EncodeBatchSettings(DefaultBatchSettings({}))),
         [](SettingsStore& st, const AppOptions& o) {
             return Of(EncodeBatchSettings(LoadBatchSettings(st, o.settings)));
         }},
    };
}

class StoredRecords : public StoreTest, public ::testing::WithParamInterface<RecordCase> {
protected:
    Bytes Reloaded() {
        return GetParam().reloaded(store_, LoadSettings(store_, folder_.Path() / "Profiles"));
    }
    void Store(const Bytes& bytes) {
        ASSERT_TRUE(store_.WriteBytes(kOptionsGroup, GetParam().value, bytes));
    }
};

TEST_P(StoredRecords, AbsentIntactAndDamaged) {
    const RecordCase& c = GetParam();
    EXPECT_EQ(Reloaded(), c.defaults);
    ASSERT_EQ(c.sample.size(), c.size);
    ASSERT_NE(c.sample, c.defaults);
    Store(c.sample);
    EXPECT_EQ(Reloaded(), c.sample);  // byte exact

    Bytes flipped = c.sample, shorter = c.sample, longer = c.sample;
    flipped[10] ^= 0x10;
    shorter.pop_back();
    longer.push_back(0);
    for (const Bytes& damaged : {flipped, shorter, longer}) {
        Store(damaged);
        EXPECT_EQ(Reloaded(), c.defaults);
    }
    ASSERT_TRUE(store_.WriteText(kOptionsGroup, c.value, "not bytes"));
    EXPECT_EQ(Reloaded(), c.defaults);
}

INSTANTIATE_TEST_SUITE_P(Records, StoredRecords, ::testing::ValuesIn(RecordCases()),
                         [](const auto& info) { return std::string(info.param.value); });

TEST_F(StoreTest, RecentListHonoursItsLength) {
    const std::vector<std::string> folders = {"/a/", "/b/", "/c/", "/d/", "/e/", "/f/", "/g/"};
    ASSERT_TRUE(SaveRecentFolders(store_, folders, 3));
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(store_.ReadText(kOptionsGroup, "Recent" + std::to_string(i)),
                  i <= 3 ? folders[i - 1] : "")
            << i;
    EXPECT_EQ(LoadRecentFolders(store_, 3), (std::vector<std::string>{"/a/", "/b/", "/c/"}));
    EXPECT_EQ(LoadRecentFolders(store_, 2), (std::vector<std::string>{"/a/", "/b/"}));
    // Longer than stored: the empty values are not folders.
    EXPECT_EQ(LoadRecentFolders(store_, 10), (std::vector<std::string>{"/a/", "/b/", "/c/"}));
    EXPECT_EQ(LoadRecentFolders(store_, 99).size(), 3u);
    ASSERT_TRUE(SaveRecentFolders(store_, {}, 5));  // "Clear Recent"
    EXPECT_TRUE(LoadRecentFolders(store_, 10).empty());
}

}  // namespace
}  // namespace stillpix
