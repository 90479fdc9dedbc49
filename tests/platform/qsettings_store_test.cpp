// The QSettings-backed store, always on a file in a fresh temporary folder.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/qsettings_store.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "stillpix-store-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        file_ = dir_ / "settings.conf";
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string FileText() const {
        std::ifstream in(file_, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path dir_;
    fs::path file_;
};

std::vector<uint8_t> EveryByteTwice() {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<uint8_t>(i));
    for (int i = 255; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(i));
    // Escapes followed by hex digits and NULs at the end are the classic traps of INI quoting.
    for (int b : {0x01, int('9'), 0x00, int('a'), 0x00, 0x00}) bytes.push_back(static_cast<uint8_t>(b));
    return bytes;
}

TEST_F(StoreTest, RawBytesSurviveWriteReopenAndEnumeration) {
    const std::vector<uint8_t> bytes = EveryByteTwice();
    {
        QSettingsStore store(file_);
        ASSERT_TRUE(store.WriteBytes("Options", "Settings", bytes));
        ASSERT_TRUE(store.WriteBytes("Options", "Empty", {}));
    }
    QSettingsStore reopened(file_);
    EXPECT_EQ(reopened.ReadBytes("Options", "Settings"), bytes);
    EXPECT_EQ(reopened.ReadBytes("Options", "Empty"), std::vector<uint8_t>{});
    std::vector<std::string> names;
    ASSERT_TRUE(reopened.ValueNames("Options", names));
    EXPECT_EQ(names, (std::vector<std::string>{"Empty", "Settings"}));
    for (const std::string& name : names) EXPECT_TRUE(reopened.ReadBytes("Options", name).has_value()) << name;
}

TEST_F(StoreTest, EveryWriteIsOnDiskBeforeItReturns) {
    QSettingsStore store(file_);
    ASSERT_TRUE(store.WriteText("Options", "Profile", "/home/me/Profiles"));
    EXPECT_NE(FileText().find("Profile=/home/me/Profiles"), std::string::npos) << FileText();
    ASSERT_TRUE(store.DeleteValue("Options", "Profile"));
    EXPECT_EQ(FileText().find("Profile="), std::string::npos) << FileText();
}

TEST_F(StoreTest, TextsKeepQuotesCommasSpacesAndUnicode) {
    QSettingsStore store(file_);
    const std::vector<std::string> texts = {"", "  leading and trailing  ", "a, b; c = \"d\" \\ e",
                                            "@ByteArray(x)", "/home/\xc3\xa9t\xc3\xa9/Photos, 2007/",
                                            "line\nbreak\ttab"};
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(store.WriteText("Options", "Recent" + std::to_string(i + 1), texts[i]));
    QSettingsStore reopened(file_);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(reopened.ReadText("Options", "Recent" + std::to_string(i + 1)), texts[i]) << i;
}

TEST_F(StoreTest, ValueNamesAreArbitraryText) {
    QSettingsStore store(file_);
    // Custom filter names come straight from the user.
    const std::vector<std::string> names = {"a/b", "//", "100%", "%2F", "back\\slash", " spaced ",
                                            "[General]", "x=y", "\xc3\xa4rger", "not utf8 \xff\xfe",
                                            "General"};
    for (const std::string& name : names)
        ASSERT_TRUE(store.WriteBytes("FilterSettings", name, {1, 2, 3})) << name;
    std::vector<std::string> listed;
    ASSERT_TRUE(QSettingsStore(file_).ValueNames("FilterSettings", listed));
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, expected);
    for (const std::string& name : names)
        EXPECT_EQ(store.ReadBytes("FilterSettings", name), (std::vector<uint8_t>{1, 2, 3})) << name;
    // Other groups stay apart.
    std::vector<std::string> options;
    ASSERT_TRUE(store.ValueNames("Options", options));
    EXPECT_TRUE(options.empty());
}

TEST_F(StoreTest, KindsAndAbsenceReadAsNothing) {
    QSettingsStore store(file_);
    ASSERT_TRUE(store.WriteText("Options", "Profile", "folder"));
    ASSERT_TRUE(store.WriteBytes("Options", "Settings", {9}));
    EXPECT_FALSE(store.ReadBytes("Options", "Profile").has_value());
    EXPECT_FALSE(store.ReadText("Options", "Settings").has_value());
    EXPECT_FALSE(store.ReadText("Options", "Missing").has_value());
    EXPECT_FALSE(store.ReadText("Elsewhere", "Profile").has_value());
}

TEST_F(StoreTest, DeletingRemovesOneValueOnly) {
    QSettingsStore store(file_);
    ASSERT_TRUE(store.WriteBytes("FilterSettings", "Mine", {1}));
    ASSERT_TRUE(store.WriteBytes("FilterSettings", "Yours", {2}));
    EXPECT_TRUE(store.DeleteValue("FilterSettings", "Mine"));
    EXPECT_TRUE(store.DeleteValue("FilterSettings", "Mine"));     // already gone: no error
    EXPECT_FALSE(store.DeleteValue("FilterSettings", ""));        // never "the whole group"
    std::vector<std::string> names;
    ASSERT_TRUE(store.ValueNames("FilterSettings", names));
    EXPECT_EQ(names, std::vector<std::string>{"Yours"});
    EXPECT_FALSE(store.WriteBytes("FilterSettings", "", {1}));
}

TEST_F(StoreTest, TextThatIsNotUtf8IsRefusedNotAltered) {
    QSettingsStore store(file_);
    EXPECT_FALSE(store.WriteText("Options", "Recent1", "/photos/\xff"));
    EXPECT_FALSE(store.ReadText("Options", "Recent1").has_value());
}

TEST_F(StoreTest, UnwritableLocationFailsAndUnreadableListsNothing) {
    const fs::path blocker = dir_ / "plain-file";
    std::ofstream(blocker) << "x";
    QSettingsStore underFile(blocker / "settings.conf");
    EXPECT_FALSE(underFile.WriteText("Options", "Profile", "x"));
    QSettingsStore onFolder(dir_);
    std::vector<std::string> names;
    EXPECT_FALSE(onFolder.ValueNames("FilterSettings", names));
    EXPECT_FALSE(onFolder.ReadText("Options", "Profile").has_value());
}

TEST_F(StoreTest, GarbageFileReadsEmptyAndIsReplacedByAGoodOne) {
    {
        std::ofstream out(file_, std::ios::binary);
        for (int i = 0; i < 4000; ++i) out.put(static_cast<char>((i * 7919) & 0xFF));
    }
    QSettingsStore store(file_);
    EXPECT_FALSE(store.ReadBytes("Options", "Settings").has_value());
    ASSERT_TRUE(store.WriteBytes("Options", "Settings", {4, 5}));
    EXPECT_EQ(QSettingsStore(file_).ReadBytes("Options", "Settings"), (std::vector<uint8_t>{4, 5}));
}

TEST_F(StoreTest, FolderIsCreatedByTheFirstWrite) {
    QSettingsStore store(dir_ / "Veltrano" / "Stillpix Professional Edition.conf");
    ASSERT_TRUE(store.WriteText("Options", "Profile", "p"));
    EXPECT_TRUE(fs::is_regular_file(dir_ / "Veltrano" / "Stillpix Professional Edition.conf"));
}

TEST_F(StoreTest, TwoInstancesWritingAtOnceKeepEveryValue) {
    constexpr int kEach = 40;
    std::vector<pid_t> children;
    for (const char* prefix : {"a", "b"}) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::execl(STILLPIX_SETTINGS_WRITER, STILLPIX_SETTINGS_WRITER, file_.c_str(), prefix,
                    std::to_string(kEach).c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    QSettingsStore store(file_);
    std::vector<std::string> names;
    ASSERT_TRUE(store.ValueNames("Options", names));
    EXPECT_EQ(names.size(), 2u * kEach);
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < kEach; ++i) {
            const auto bytes = store.ReadBytes("Options", prefix + std::to_string(i));
            EXPECT_EQ(bytes, (std::vector<uint8_t>{static_cast<uint8_t>(i), 0, 0xFF,
                                                   static_cast<uint8_t>(prefix[0])}));
        }
}

}  // namespace
}  // namespace stillpix
