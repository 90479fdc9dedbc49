// Loading and saving the options through the real store: first start, the profile folder and
// the recent-folder list.
#include <gtest/gtest.h>

#include "settings/persisted_settings.h"
#include "settings/record_codec.h"
#include "temp_folder.h"

namespace stillpix {
namespace {

using test::StoreTest;

TEST_F(StoreTest, FirstStartGivesDefaultsAndWritesTheProfileFolder) {
    const auto defaultFolder = folder_.Path() / "data" / "Profiles";
    const AppOptions options = LoadSettings(store_, defaultFolder);
    EXPECT_EQ(FieldText(options.settings.defaultSuffix), "_filtered");
    EXPECT_EQ(options.settings.jpegQuality, 90);
    EXPECT_EQ(options.settings.defaultFilterSlot, 0);
    EXPECT_EQ(options.settings2.tiffDepth, 1);
    EXPECT_EQ(options.settings2.selfLearning, 1);
    EXPECT_EQ(options.settings3.recentLength, 5);
    EXPECT_EQ(options.settings3.browserView, 1);
    EXPECT_EQ(options.settings3.batchPriority, 0);
    EXPECT_EQ(options.profileFolder, defaultFolder.string());
    EXPECT_EQ(store_.ReadText(kOptionsGroup, kProfileValue), defaultFolder.string());
    // Nothing else is written until an option changes.
    EXPECT_FALSE(store_.ReadBytes(kOptionsGroup, kSettingsValue).has_value());
}

TEST_F(StoreTest, SavedOptionsComeBackAndAChosenFolderStays) {
    AppOptions options = LoadSettings(store_, "/default/Profiles");
    options.settings.defaultFilterSlot = 12;
    options.settings2.alwaysBuildImageProfile = 1;
    options.settings3.recentLength = 2;
    options.profileFolder = "/mnt/photos/profiles";
    ASSERT_TRUE(SaveSettings(store_, options));
    const auto stored = store_.ReadBytes(kOptionsGroup, kSettingsValue);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(GetI32(*stored, 64), 112);

    const AppOptions back = LoadSettings(store_, "/default/Profiles");
    EXPECT_EQ(back.settings.defaultFilterSlot, 12);
    EXPECT_EQ(back.settings2.alwaysBuildImageProfile, 1);
    EXPECT_EQ(back.settings3.recentLength, 2);
    EXPECT_EQ(back.profileFolder, "/mnt/photos/profiles");
}

TEST_F(StoreTest, SaveReportsAFailedWrite) {
    test::WriteFileBytes(folder_.Path() / "blocker", {1});
    QSettingsStore unwritable(folder_.Path() / "blocker" / "settings.conf");
    AppOptions options;
    options.profileFolder = "/p";
    EXPECT_FALSE(SaveSettings(unwritable, options));
    EXPECT_FALSE(SaveBatchSettings(unwritable, BatchSettings{}));
    // And reading from it gives the defaults, not a crash.
    const AppOptions back = LoadSettings(unwritable, "/d/Profiles");
    EXPECT_EQ(back.settings.jpegQuality, 90);
    EXPECT_EQ(back.profileFolder, "/d/Profiles");
}

TEST_F(StoreTest, BatchRecordRoundTripsThroughTheStore) {
    AppSettings options;
    options.jpegQuality = 60;
    EXPECT_EQ(LoadBatchSettings(store_, options).jpegQuality, 60);   // defaults follow the options
    BatchSettings b = LoadBatchSettings(store_, options);
    b.outputFormat = 3;
    b.tiffDepth = 0;
    b.filter = kUseCurrentFilter;
    SetFieldText(b.suffix, "_b");
    ASSERT_TRUE(SaveBatchSettings(store_, b));
    const BatchSettings back = LoadBatchSettings(store_, AppSettings{});
    EXPECT_EQ(back.outputFormat, 3);
    EXPECT_EQ(back.tiffDepth, 0);
    EXPECT_EQ(back.filter, kUseCurrentFilter);
    EXPECT_EQ(back.jpegQuality, 60);
    EXPECT_EQ(FieldText(back.suffix), "_b");
}

TEST_F(StoreTest, RecentListHonoursItsLength) {
    const std::vector<std::string> folders = {"/a/", "/b/", "/c/", "/d/", "/e/", "/f/", "/g/"};
    ASSERT_TRUE(SaveRecentFolders(store_, folders, 3));
    for (int i = 1; i <= 10; ++i) {
        const auto text = store_.ReadText(kOptionsGroup, "Recent" + std::to_string(i));
        ASSERT_TRUE(text.has_value()) << i;
        EXPECT_EQ(*text, i <= 3 ? folders[i - 1] : std::string()) << i;
    }
    EXPECT_EQ(LoadRecentFolders(store_, 3), (std::vector<std::string>{"/a/", "/b/", "/c/"}));
    EXPECT_EQ(LoadRecentFolders(store_, 2), (std::vector<std::string>{"/a/", "/b/"}));
    // Longer than stored: the empty values are not folders.
    EXPECT_EQ(LoadRecentFolders(store_, 10), (std::vector<std::string>{"/a/", "/b/", "/c/"}));
    EXPECT_EQ(LoadRecentFolders(store_, 99).size(), 3u);

    ASSERT_TRUE(SaveRecentFolders(store_, {}, 5));   // "Clear Recent"
    EXPECT_TRUE(LoadRecentFolders(store_, 10).empty());
}

}  // namespace
}  // namespace stillpix
