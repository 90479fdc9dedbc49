// The QSettings-backed store, always on a file in a fresh temporary folder.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/qsettings_store.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class StoreTest : public test::StoreTest {
protected:
    std::string FileText() const { return test::ReadText(file_); }
    std::vector<std::string> Names(const std::string& group) {
        std::vector<std::string> names;
        EXPECT_TRUE(QSettingsStore(file_).ValueNames(group, names));
        return names;
    }

    const fs::path& dir_ = folder_.Path();
};

TEST_F(StoreTest, RawBytesSurviveWriteReopenAndEnumeration) {
    Bytes bytes;
    for (int i = 0; i < 512; ++i) bytes.push_back(static_cast<uint8_t>(i < 256 ? i : 511 - i));
    // Escapes followed by hex digits and NULs at the end are the classic traps of INI quoting.
    bytes.insert(bytes.end(), {0x01, '9', 0x00, 'a', 0x00, 0x00});
    ASSERT_TRUE(store_.WriteBytes("Options", "Settings", bytes));
    ASSERT_TRUE(store_.WriteBytes("Options", "Empty", {}));
    QSettingsStore reopened(file_);
    EXPECT_EQ(reopened.ReadBytes("Options", "Settings"), bytes);
    EXPECT_EQ(reopened.ReadBytes("Options", "Empty"), Bytes{});
    EXPECT_EQ(Names("Options"), (std::vector<std::string>{"Empty", "Settings"}));
}

TEST_F(StoreTest, EveryWriteIsOnDiskBeforeItReturns) {
    ASSERT_TRUE(store_.WriteText("Options", "Profile", "/home/me/Profiles"));
    EXPECT_NE(FileText().find("Profile=/home/me/Profiles"), std::string::npos) << FileText();
    ASSERT_TRUE(store_.DeleteValue("Options", "Profile"));
    EXPECT_EQ(FileText().find("Profile="), std::string::npos) << FileText();
}

TEST_F(StoreTest, TextsKeepQuotesCommasSpacesAndUnicode) {
    // clang-format off
    const std::vector<std::string> texts = {"", "  leading and trailing  ", "a, b; c = \"d\" \\ e",
        "@ByteArray(x)", "/home/\xc3\xa9t\xc3\xa9/Photos, 2007/", "line\nbreak\ttab"};
    // clang-format on
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_TRUE(store_.WriteText("Options", "R" + std::to_string(i), texts[i]));
    QSettingsStore reopened(file_);
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(reopened.ReadText("Options", "R" + std::to_string(i)), texts[i]);
    // A text that is not UTF-8 would come back altered: refused instead.
    EXPECT_FALSE(store_.WriteText("Options", "Bad", "/photos/\xff"));
    EXPECT_FALSE(store_.ReadText("Options", "Bad").has_value());
}

TEST_F(StoreTest, ValueNamesAreArbitraryText) {
    // Custom filter names come straight from the user.
    // clang-format off
    std::vector<std::string> names = {"a/b", "//", "100%", "%2F", "back\\slash", " spaced ",
        "[General]", "x=y", "\xc3\xa4rger", "not utf8 \xff\xfe", "General"};
    // clang-format on
    for (const std::string& name : names)
        ASSERT_TRUE(store_.WriteBytes("FilterSettings", name, {1, 2, 3})) << name;
    std::vector<std::string> listed = Names("FilterSettings");
    std::sort(names.begin(), names.end());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, names);
    for (const std::string& name : names)
        EXPECT_EQ(store_.ReadBytes("FilterSettings", name), (Bytes{1, 2, 3})) << name;
    EXPECT_TRUE(Names("Options").empty());  // other groups stay apart
}

TEST_F(StoreTest, KindsAbsenceAndDeletion) {
    ASSERT_TRUE(store_.WriteText("Options", "Profile", "folder"));
    ASSERT_TRUE(store_.WriteBytes("Options", "Settings", {9}));
    EXPECT_FALSE(store_.ReadBytes("Options", "Profile").has_value());
    for (const auto& [group, name] :
         {std::pair{"Options", "Settings"}, {"Options", "Missing"}, {"Elsewhere", "Profile"}})
        EXPECT_FALSE(store_.ReadText(group, name).has_value()) << group << " " << name;
    EXPECT_TRUE(store_.DeleteValue("Options", "Profile"));
    EXPECT_TRUE(store_.DeleteValue("Options", "Profile"));  // already gone: no error
    EXPECT_FALSE(store_.DeleteValue("Options", ""));        // never "the whole group"
    EXPECT_FALSE(store_.WriteBytes("Options", "", {1}));
    EXPECT_EQ(Names("Options"), std::vector<std::string>{"Settings"});
}

TEST_F(StoreTest, BadLocationsAndGarbageFiles) {
    std::ofstream(dir_ / "plain-file") << "x";
    EXPECT_FALSE(
        QSettingsStore(dir_ / "plain-file" / "settings.conf").WriteText("Options", "Profile", "x"));
    QSettingsStore onFolder(dir_);
    std::vector<std::string> names;
    EXPECT_FALSE(onFolder.ValueNames("FilterSettings", names));
    EXPECT_FALSE(onFolder.ReadText("Options", "Profile").has_value());
    // The first write makes the folder.
    const fs::path nested = dir_ / "Veltrano" / "Stillpix Professional Edition.conf";
    ASSERT_TRUE(QSettingsStore(nested).WriteText("Options", "Profile", "p"));
    EXPECT_TRUE(fs::is_regular_file(nested));
    // A garbage file reads as empty and a write replaces it with a good one.
    {
        std::ofstream out(file_, std::ios::binary);
        for (int i = 0; i < 4000; ++i) out.put(static_cast<char>((i * 7919) & 0xFF));
    }
    EXPECT_FALSE(store_.ReadBytes("Options", "Settings").has_value());
    ASSERT_TRUE(store_.WriteBytes("Options", "Settings", {4, 5}));
    EXPECT_EQ(QSettingsStore(file_).ReadBytes("Options", "Settings"), (Bytes{4, 5}));
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
    EXPECT_EQ(Names("Options").size(), 2u * kEach);
    for (const char* prefix : {"a", "b"})
        for (int i = 0; i < kEach; ++i)
            EXPECT_EQ(store_.ReadBytes("Options", prefix + std::to_string(i)),
                      (Bytes{static_cast<uint8_t>(i), 0, 0xFF, static_cast<uint8_t>(prefix[0])}));
}

}  // namespace
}  // namespace stillpix
