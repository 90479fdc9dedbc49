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
#include "settings/filter_settings.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"
#include "temp_folder.h"

namespace stillpix {
namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
    bool Says(const std::string& text) const { return out.find(text) != std::string::npos; }
    bool Complains(const std::string& text) const { return err.find(text) != std::string::npos; }
};

std::string Quoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

CliRun Cli(const std::vector<std::string>& args) {
    test::TempFolder temp;
    const auto out = temp.Path() / "out", err = temp.Path() / "err";
    std::string command = Quoted(STILLPIX_CLI);
    for (const std::string& arg : args) command += " " + Quoted(arg);
    const int raw = std::system((command + " >" + Quoted(out.string()) + " 2>" + Quoted(err.string())).c_str());
    const auto outBytes = test::ReadFileBytes(out), errBytes = test::ReadFileBytes(err);
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {outBytes.begin(), outBytes.end()}, {errBytes.begin(), errBytes.end()}};
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
    EXPECT_TRUE(list.Says("  14  Custom")) << list.out;
    EXPECT_TRUE(list.Says("0 custom filter(s) of at most 25"));

    const CliRun save = Cli({"presets", "--save", "Night owl", "--from", "Night Scene", "--sharpening", "2"});
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_TRUE(save.Says("saved custom filter \"Night owl\" in slot 15")) << save.out;
    list = Cli({"presets"});
    EXPECT_TRUE(list.Says("  15  Night owl")) << list.out;
    EXPECT_TRUE(list.Says("1 custom filter(s)"));

    // The settings file holds the 64 bytes, as the program's own store reads them.
    QSettingsStore store(UserSettingsFile());
    PresetTable table;
    ASSERT_TRUE(BuildPresetTable(store, table));
    FilterSettings expected = table.slots[2].settings;
    expected.sharpening = 2;
    const auto encoded = EncodeFilterSettings(expected);
    EXPECT_EQ(store.ReadBytes("FilterSettings", "Night owl"), std::vector<uint8_t>(encoded.begin(), encoded.end()));

    const CliRun again = Cli({"presets", "--save", "Night owl"});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(again.Complains("A Custom Filter Setting 'Night owl' already exists. Do you want to overwrite it?"))
        << again.err;
    ASSERT_EQ(Cli({"presets", "--delete", "Night owl"}).status, 0);
    EXPECT_FALSE(Cli({"presets"}).Says("Night owl"));
    EXPECT_EQ(Cli({"presets", "--delete", "Night owl"}).status, 1);
}

TEST_F(CliInTemporaryHome, PresetsRefusesBadLines) {
    EXPECT_EQ(Cli({"presets", "--sharpening", "2"}).status, 2);          // needs --save
    EXPECT_EQ(Cli({"presets", "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"presets", "--save", "x", "--delete", "y"}).status, 2);
    const CliRun range = Cli({"presets", "--save", "x", "--sharpening", "9"});
    EXPECT_EQ(range.status, 1);
    EXPECT_TRUE(range.Complains("--sharpening expects a whole number from -5 to 5")) << range.err;
    const CliRun tooLong = Cli({"presets", "--save", std::string(65, 'n')});
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_TRUE(tooLong.Complains("Name cannot be longer then 64 symbols."));
    EXPECT_EQ(Cli({"presets", "--help"}).status, 0);
}

TEST_F(CliInTemporaryHome, FilterTakesPresetsByNameOrSlotWithFieldOverrides) {
    // A noisy 64 x 48 colour PPM; every filter below runs on a flat profile so that only the
    // filter settings differ between runs.
    test::TempFolder temp;
    const std::string header = "P6\n64 48\n255\n", in = (temp.Path() / "noisy.ppm").string();
    std::vector<uint8_t> ppm(header.begin(), header.end());
    uint32_t state = 12345;
    for (int i = 0; i < 64 * 48 * 3; ++i) {
        state = state * 1664525u + 1013904223u;
        ppm.push_back(uint8_t(96 + (i % 96) / 3 + int(state >> 27)));
    }
    test::WriteFileBytes(in, ppm);
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
    EXPECT_TRUE(unknown.Complains("no preset \"Owlet\"")) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "x.ppm"));
}

TEST_F(CliInTemporaryHome, ProfilesListsTheStoreAndDeletesIt) {
    CliRun run = Cli({"profiles"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.Says("no learned profiles yet")) << run.out;
    // The first run wrote the default profile folder into the settings.
    const auto folder = QSettingsStore(UserSettingsFile()).ReadText("Options", "Profile");
    ASSERT_EQ(folder, DefaultProfileFolder().string());
    {
        LearnedProfileStore store(*folder);
        for (const char* path : {"/p/a.jpg", "/p/b.jpg"})
            store.LearnFromImage(path, test::Descriptor({.iso = 400}), test::UniformProfile(100, 1536), true);
        store.LearnFromImage("/p/c.jpg", test::Descriptor({.fNumber = 2.8, .iso = 1600}), test::UniformProfile(100, 100),
                             true);
    }
    run = Cli({"profiles"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Camera, size, ISO, light value, images, confidence (the merged counts of 3072 are complete).
    for (const char* row : {"2 learned profile(s)", "Canon Canon EOS 300D DIGITAL",
                            "3072 x 2048   400   8.87       2         100", "1600   5.80       1          17"})
        EXPECT_TRUE(run.Says(row)) << row << "\n" << run.out;

    const std::filesystem::path file = ProfileFilePath(*folder);
    auto damaged = test::ReadFileBytes(file);
    damaged.pop_back();
    test::WriteFileBytes(file, damaged);
    run = Cli({"profiles"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.Complains("is damaged or not a profile file")) << run.err;
    EXPECT_EQ(test::ReadFileBytes(file), damaged);   // looking changes nothing

    ASSERT_EQ(Cli({"profiles", "--delete-all"}).status, 0);
    EXPECT_EQ(test::ReadFileBytes(file), (std::vector<uint8_t>{'S', 'X', '2', 'P', 'R', 'F', 'L', 0, 0, 0, 0}));
    EXPECT_EQ(Cli({"profiles", "extra"}).status, 2);
}

}  // namespace
}  // namespace stillpix
