// stillpix-cli presets and profiles, run as programs against the per-user files of a temporary
// home (isolated_home.cpp), one run reading what the previous one wrote.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "learned_fixtures.h"
#include "platform/qsettings_store.h"
#include "platform/user_paths.h"
#include "settings/persisted_settings.h"
#include "settings/profile_store.h"
#include "tests/support/cli_run.h"

namespace stillpix {
namespace {

using test::CliRun;
using test::RunCli;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
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
    CliRun list = RunCli({"presets"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_TRUE(Has(list.out, "  14  Custom")) << list.out;
    EXPECT_TRUE(Has(list.out, "0 custom filter(s) of at most 25"));

    const CliRun save =
        RunCli({"presets", "--save", "Night owl", "--from", "Night Scene", "--sharpening", "2"});
    ASSERT_EQ(save.status, 0) << save.err;
    EXPECT_TRUE(Has(save.out, "saved custom filter \"Night owl\" in slot 15")) << save.out;
    list = RunCli({"presets"});
    EXPECT_TRUE(Has(list.out, "  15  Night owl")) << list.out;
    EXPECT_TRUE(Has(list.out, "1 custom filter(s)"));

    // The saved fields are checked by filtering with them (FilterTakesPresets...).
    const CliRun again = RunCli({"presets", "--save", "Night owl"});
    EXPECT_EQ(again.status, 1);
    EXPECT_TRUE(Has(again.err, "already exists")) << again.err;
    ASSERT_EQ(RunCli({"presets", "--delete", "Night owl"}).status, 0);
    EXPECT_FALSE(Has(RunCli({"presets"}).out, "Night owl"));
    EXPECT_EQ(RunCli({"presets", "--delete", "Night owl"}).status, 1);
}

TEST_F(CliInTemporaryHome, PresetsRefusesBadLines) {
    EXPECT_EQ(RunCli({"presets", "--sharpening", "2"}).status, 2);  // needs --save
    EXPECT_EQ(RunCli({"presets", "--bogus"}).status, 2);
    EXPECT_EQ(RunCli({"presets", "--save", "x", "--delete", "y"}).status, 2);
    const CliRun range = RunCli({"presets", "--save", "x", "--sharpening", "9"});
    EXPECT_EQ(range.status, 1);
    EXPECT_TRUE(Has(range.err, "--sharpening expects a whole number from -5 to 5")) << range.err;
    EXPECT_EQ(RunCli({"presets", "--save", std::string(65, 'n')}).status, 1);
    EXPECT_EQ(RunCli({"presets", "--help"}).status, 0);
}

TEST_F(CliInTemporaryHome, FilterTakesPresetsByNameOrSlotWithFieldOverrides) {
    // A noisy colour PPM; every filter below runs on a flat profile so that only the filter
    // settings differ between runs.
    test::TempFolder temp;
    const std::string in = (temp.Path() / "noisy.ppm").string();
    ASSERT_TRUE(
        test::Shell("convert -size 64x48 -seed 1 plasma: -attenuate 0.5 +noise Gaussian -depth 8 " +
                    test::ShellQuoted(in)));
    auto filtered = [&](const std::string& name, std::vector<std::string> options) {
        const std::string out = (temp.Path() / (name + ".ppm")).string();
        std::vector<std::string> args = {"filter", in, "-o", out, "--flat-profile", "40"};
        args.insert(args.end(), options.begin(), options.end());
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return test::ReadFileBytes(out);
    };
    const auto byName = filtered("name", {"--preset", "Night Scene"});
    EXPECT_EQ(filtered("slot", {"--preset", "2"}), byName);
    EXPECT_NE(filtered("default", {}), byName);
    // A saved custom filter is found by its name and filters like its fields.
    ASSERT_EQ(
        RunCli({"presets", "--save", "Owl", "--from", "Night Scene", "--sharpening", "3"}).status,
        0);
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

    const CliRun unknown =
        RunCli({"filter", in, "-o", (temp.Path() / "x.ppm").string(), "--preset", "Owlet"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_TRUE(Has(unknown.err, "no preset \"Owlet\"")) << unknown.err;
    EXPECT_FALSE(std::filesystem::exists(temp.Path() / "x.ppm"));
}

TEST_F(CliInTemporaryHome, ProfilesListsTheStoreAndDeletesIt) {
    CliRun run = RunCli({"profiles"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "no learned profiles yet")) << run.out;
    const auto folder = QSettingsStore(UserSettingsFile()).ReadText("Options", "Profile");
    ASSERT_TRUE(folder.has_value());
    {
        LearnedProfileStore store(*folder);
        for (const char* path : {"/p/a.jpg", "/p/b.jpg"})
            store.LearnFromImage(path, test::Descriptor({.iso = 400}),
                                 test::UniformProfile(100, 1536), true);
        store.LearnFromImage("/p/c.jpg", test::Descriptor({.fNumber = 2.8, .iso = 1600}),
                             test::UniformProfile(100, 100), true);
    }
    run = RunCli({"profiles"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Camera, size, ISO, light value, images, confidence (the merged counts of 3072 are complete).
    for (const char* row :
         {"2 learned profile(s)", "Canon Canon EOS 300D DIGITAL",
          "3072 x 2048   400   8.87       2         100", "1600   5.80       1          17"})
        EXPECT_TRUE(Has(run.out, row)) << row << "\n" << run.out;

    const std::filesystem::path file = ProfileFilePath(*folder);
    auto damaged = test::ReadFileBytes(file);
    damaged.pop_back();
    test::WriteFileBytes(file, damaged);
    run = RunCli({"profiles"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Has(run.err, "is damaged or not a profile file")) << run.err;
    EXPECT_EQ(test::ReadFileBytes(file), damaged);  // looking changes nothing

    ASSERT_EQ(RunCli({"profiles", "--delete-all"}).status, 0);
    EXPECT_EQ(test::ReadFileBytes(file),
              (std::vector<uint8_t>{'S', 'X', '2', 'P', 'R', 'F', 'L', 0, 0, 0, 0}));
    EXPECT_EQ(RunCli({"profiles", "extra"}).status, 2);
}

TEST_F(CliInTemporaryHome, ProfilesMergeExportAndImportRefusingDamage) {
    test::TempFolder temp;
    auto learn = [&](const std::string& name, std::vector<std::pair<const char*, int>> images) {
        LearnedProfileStore store(temp.Path() / name);
        for (const auto& [path, iso] : images)
            store.LearnFromImage(path, test::Descriptor({.iso = iso}),
                                 test::UniformProfile(100, 10), true);
        return ProfileFilePath(temp.Path() / name).string();
    };
    // Image b was learned on both machines.
    const std::string a = learn("a", {{"/p/a.jpg", 400}, {"/p/b.jpg", 400}});
    const std::string b = learn("b", {{"/p/b.jpg", 400}, {"/p/c.jpg", 400}, {"/p/d.jpg", 800}});
    // The merge itself is worked out in learned_merge_test.cpp.
    const std::string ab = temp / "ab.sxp";
    CliRun run = RunCli({"profiles", "--merge", a, b, "-o", ab});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(
        run.out, "merged 3 learned profile(s) of 2 file(s) into " + ab + ": 2 learned profile(s)"))
        << run.out;

    // Another machine takes the merged store in, and hands it on.
    ASSERT_EQ(RunCli({"profiles", "--import", ab}).status, 0);
    const auto mine = ProfileFilePath(DefaultProfileFolder());
    EXPECT_EQ(test::ReadFileBytes(mine), test::ReadFileBytes(ab));
    ASSERT_EQ(RunCli({"profiles", "--export", temp / "out.sxp"}).status, 0);
    EXPECT_EQ(test::ReadFileBytes(temp / "out.sxp"), test::ReadFileBytes(ab));

    // A damaged store is refused, and nothing is written.
    auto damaged = test::ReadFileBytes(b);
    damaged.pop_back();
    test::WriteFileBytes(temp / "bad.sxp", damaged);
    const auto before = test::ReadFileBytes(ab);
    for (const std::vector<std::string>& line :
         {std::vector<std::string>{"profiles", "--merge", a, temp / "bad.sxp", "-o", ab},
          {"profiles", "--import", a, temp / "bad.sxp"}}) {
        run = RunCli(line);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(Has(run.err, temp / "bad.sxp: damaged")) << run.err;
    }
    EXPECT_EQ(test::ReadFileBytes(ab), before);
    EXPECT_EQ(test::ReadFileBytes(mine), before);
    test::WriteFileBytes(mine, damaged);
    EXPECT_EQ(RunCli({"profiles", "--import", a}).status, 1);
    EXPECT_EQ(RunCli({"profiles", "--export", temp / "x.sxp"}).status, 1);
    EXPECT_EQ(test::ReadFileBytes(mine), damaged);
    EXPECT_FALSE(std::filesystem::exists(temp / "x.sxp"));

    for (const std::vector<std::string>& line : {std::vector<std::string>{"profiles", "--merge", a},
                                                 {"profiles", "--merge", "-o", ab},
                                                 {"profiles", "--import"},
                                                 {"profiles", "--import", a, "--export", ab}})
        EXPECT_EQ(RunCli(line).status, 2) << line.back();
}

}  // namespace
}  // namespace stillpix
