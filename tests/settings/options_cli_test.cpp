// stillpix-cli options against the settings file of a temporary home: each run reads what the
// previous one wrote, and the program's own loader reads the result.
#include <gtest/gtest.h>

#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/persisted_settings.h"
#include "tests/support/cli_run.h"

namespace stillpix {
namespace {

using test::RunCli;

AppOptions Stored() {
    QSettingsStore store(UserSettingsFile());
    return LoadSettings(store, "/unused");
}

// The names and texts themselves are worked out in options_rules_test.cpp.
TEST(OptionsCli, ListsGetsAndSetsByTheControlsNames) {
    std::filesystem::remove(UserSettingsFile());
    const test::CliRun list = RunCli({"options"});
    ASSERT_EQ(list.status, 0) << list.err;
    for (const char* line : {"[General]\n", "Image default zoom value = Best Fit\n",
                             "[Batch and Browser]\n", "Tiff bit rate = 48(16) bpp*\n"})
        EXPECT_NE(list.out.find(line), std::string::npos) << line << list.out;

    struct Case {
        std::vector<std::string> args;
        int status;
        const char* out;  // stdout, or the start of stderr when the run fails
    };
    // clang-format off
    const Case cases[] = {
        {{"set", "jpeg", "75"}, 0, "JPEG Quality = 75\n"},
        {{"set", "Profile Folder:", "/srv/profiles/"}, 0, "Profile Folder: = /srv/profiles/\n"},
        {{"get", "JPEG QUALITY"}, 0, "75\n"},
        {{"set", "recently used", "11"}, 1,
         "stillpix-cli options: Recently used folder list: Please enter an integer between 1 and 10."},
        {{"set", "show", "on"}, 1, "stillpix-cli options: \"show\" names no option"},
        {{"get"}, 2, "stillpix-cli options: get takes 1 argument(s)"},
        {{"reset"}, 2, "stillpix-cli options: unknown action"}};
    // clang-format on
    for (const Case& c : cases) {
        std::vector<std::string> args = {"options"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const test::CliRun run = RunCli(args);
        EXPECT_EQ(run.status, c.status) << c.args[0] << run.err;
        if (c.status == 0) EXPECT_EQ(run.out, c.out);
        else EXPECT_TRUE(run.err.starts_with(c.out)) << run.err;
    }
    const AppOptions stored = Stored();
    EXPECT_EQ(stored.settings.jpegQuality, 75);
    EXPECT_EQ(stored.profileFolder, "/srv/profiles/");
    EXPECT_EQ(stored.settings3.recentLength, 5);
}

}  // namespace
}  // namespace stillpix
