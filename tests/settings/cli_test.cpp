// stillpix-cli presets and profiles, run as programs against the per-user files of a temporary
// home (isolated_home.cpp), one run reading what the previous one wrote.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "learned_fixtures.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/persisted_settings.h"
#include "settings/filter_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"
#include "temp_folder.h"

namespace stillpix {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun Cli(const std::vector<std::string>& args) {
    test::TempFolder temp;
    std::string command = Quoted(STILLPIX_CLI);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    command += " >" + Quoted((temp.Path() / "out").string()) + " 2>" + Quoted((temp.Path() / "err").string());
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const auto out = test::ReadFileBytes(temp.Path() / "out"), err = test::ReadFileBytes(temp.Path() / "err");
    run.out.assign(out.begin(), out.end());
    run.err.assign(err.begin(), err.end());
    return run;
}

class CliInTemporaryHome : public ::testing::Test {
protected:
    void SetUp() override {
        // The same home for the whole binary: start each test from nothing.
        std::filesystem::remove(UserSettingsFile());
        std::filesystem::remove_all(DefaultProfileFolder());
    }
};

TEST_F(CliInTemporaryHome, CustomFilterSavedListedAndDeletedAcrossRuns) {
    CliRun list = Cli({"presets"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("  14  Custom"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("0 custom filter(s) of at most 25"), std::string::npos);

    const CliRun save = Cli({"presets", "--save", "Night owl", "--from", "Night Scene", "--sharpening", "2"});
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_NE(save.out.find("saved custom filter \"Night owl\" in slot 15"), std::string::npos) << save.out;

    list = Cli({"presets"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("  15  Night owl"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("1 custom filter(s)"), std::string::npos);

    // The settings file holds the 64 bytes, as the program's own store reads them.
    QSettingsStore store(UserSettingsFile());
    PresetTable table;
    ASSERT_TRUE(BuildPresetTable(store, table));
    FilterSettings expected = table.slots[2].settings;
    expected.sharpening = 2;
    const auto bytes = store.ReadBytes("FilterSettings", "Night owl");
    ASSERT_TRUE(bytes.has_value());
    const auto encoded = EncodeFilterSettings(expected);
    EXPECT_EQ(*bytes, std::vector<uint8_t>(encoded.begin(), encoded.end()));

    const CliRun again = Cli({"presets", "--save", "Night owl"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("A Custom Filter Setting 'Night owl' already exists. Do you want to overwrite it?"),
              std::string::npos)
        << again.err;

    const CliRun remove = Cli({"presets", "--delete", "Night owl"});
    ASSERT_EQ(remove.status, 0) << remove.err;
    list = Cli({"presets"});
    EXPECT_EQ(list.out.find("Night owl"), std::string::npos) << list.out;
    EXPECT_EQ(Cli({"presets", "--delete", "Night owl"}).status, 1);
}

TEST_F(CliInTemporaryHome, PresetsRefusesBadLines) {
    EXPECT_EQ(Cli({"presets", "--sharpening", "2"}).status, 2);          // needs --save
    EXPECT_EQ(Cli({"presets", "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"presets", "--save", "x", "--delete", "y"}).status, 2);
    const CliRun range = Cli({"presets", "--save", "x", "--sharpening", "9"});
    EXPECT_EQ(range.status, 1);
    EXPECT_NE(range.err.find("--sharpening expects a whole number from -5 to 5"), std::string::npos) << range.err;
    const CliRun tooLong = Cli({"presets", "--save", std::string(65, 'n')});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("Name cannot be longer then 64 symbols."), std::string::npos);
    EXPECT_EQ(Cli({"presets", "--help"}).status, 0);
}

// A noisy 64 x 48 colour PPM; every filter below runs on a flat profile so that only the
// filter settings differ between runs.
std::filesystem::path WriteNoisyPpm(const std::filesystem::path& folder) {
    std::vector<uint8_t> bytes;
    const std::string header = "P6\n64 48\n255\n";
    bytes.assign(header.begin(), header.end());
    uint32_t state = 12345;
    for (int i = 0; i < 64 * 48 * 3; ++i) {
        state = state * 1664525u + 1013904223u;
        bytes.push_back(uint8_t(96 + (i % 96) / 3 + int(state >> 27)));
    }
    test::WriteFileBytes(folder / "noisy.ppm", bytes);
    return folder / "noisy.ppm";
}

TEST_F(CliInTemporaryHome, FilterTakesPresetsByNameOrSlotWithFieldOverrides) {
    test::TempFolder temp;
    const std::string in = WriteNoisyPpm(temp.Path()).string();
    auto filtered = [&](const std::string& name, std::vector<std::string> options) {
        const std::string out = (temp.Path() / (name + ".ppm")).string();
        std::vector<std::string> args = {"filter", in, "-o", out, "--flat-profile", "40"};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return test::ReadFileBytes(out);
    };
    const auto byName = filtered("name", {"--preset", "Night Scene"});
    EXPECT_EQ(filtered("slot", {"--preset", "2"}), byName);
    EXPECT_NE(filtered("default", {}), byName);

    // A saved custom filter is found by its name and filters like its fields.
    ASSERT_EQ(Cli({"presets", "--save", "Owl", "--from", "Night Scene", "--sharpening", "3"}).status, 0);
    const auto owl = filtered("owl", {"--preset", "Owl"});
    EXPECT_EQ(filtered("fields", {"--preset", "2", "--sharpening", "3"}), owl);
    EXPECT_NE(owl, byName);

    // Without --preset the "Default Filter Settings" option decides.
    {
        QSettingsStore store(UserSettingsFile());
        AppOptions options = LoadSettings(store, DefaultProfileFolder());
        options.settings.defaultFilterSlot = 2;
        ASSERT_TRUE(SaveSettings(store, options));
    }
    EXPECT_EQ(filtered("stored-default", {}), byName);

    const CliRun unknown = Cli({"filter", in, "-o", (temp.Path() / "x.ppm").string(), "--preset", "Owlet"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_NE(unknown.err.find("no preset \"Owlet\""), std::string::npos) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "x.ppm"));
}

TEST_F(CliInTemporaryHome, ProfilesListsTheStoreAndDeletesIt) {
    CliRun run = Cli({"profiles"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("no learned profiles yet"), std::string::npos) << run.out;

    // The first run wrote the default profile folder into the settings.
    QSettingsStore settings(UserSettingsFile());
    const auto folder = settings.ReadText("Options", "Profile");
    ASSERT_TRUE(folder.has_value());
    EXPECT_EQ(*folder, DefaultProfileFolder().string());
    {
        LearnedProfileStore store(*folder);
        store.LearnFromImage("/p/a.jpg", test::Descriptor({.iso = 400}), test::UniformProfile(100, 1536), true);
        store.LearnFromImage("/p/b.jpg", test::Descriptor({.iso = 400}), test::UniformProfile(100, 1536), true);
        store.LearnFromImage("/p/c.jpg", test::Descriptor({.fNumber = 2.8, .iso = 1600}),
                             test::UniformProfile(100, 100), true);
    }
    run = Cli({"profiles"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("2 learned profile(s)"), std::string::npos) << run.out;
    // Camera, size, ISO, light value, images, confidence (the merged counts of 3072 are complete).
    EXPECT_NE(run.out.find("Canon Canon EOS 300D DIGITAL"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("3072 x 2048   400   8.87       2         100"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("1600   5.80       1          17"), std::string::npos) << run.out;

    const std::filesystem::path file = ProfileFilePath(*folder);
    auto damaged = test::ReadFileBytes(file);
    damaged.pop_back();
    test::WriteFileBytes(file, damaged);
    run = Cli({"profiles"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is damaged or not a profile file"), std::string::npos) << run.err;
    EXPECT_EQ(test::ReadFileBytes(file), damaged);   // looking changes nothing

    run = Cli({"profiles", "--delete-all"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::ReadFileBytes(file), (std::vector<uint8_t>{'S', 'X', '2', 'P', 'R', 'F', 'L', 0, 0, 0, 0}));
    EXPECT_EQ(Cli({"profiles", "extra"}).status, 2);
}

}  // namespace
}  // namespace stillpix
