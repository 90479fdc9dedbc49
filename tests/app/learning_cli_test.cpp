// Self-learning end to end: stillpix-cli denoise run on JPEGs of one camera in a temporary home,
// the learned-profile file read back between the runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/user_paths.h"
#include "settings/profile_store.h"
#include "tests/support/cli_run.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

class LearningCli : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove(UserSettingsFile());
        fs::remove_all(DefaultProfileFolder());
    }

    // A noisy grey ramp with the shooting data of one camera; `seed` makes another image of it.
    std::string Shot(const std::string& name, int seed, int iso) {
        const std::string path = folder_ / name;
        EXPECT_TRUE(test::Shell(
            "convert -size 640x480 gradient:gray15-gray85 -seed " + std::to_string(seed) +
            " -attenuate 0.6 +noise Gaussian -quality 95 " + test::ShellQuoted(path)));
        EXPECT_TRUE(test::Shell(
            "exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS 300D DIGITAL' -ISO=" +
            std::to_string(iso) + " -FNumber=4.0 -ExposureTime=1/125 " + test::ShellQuoted(path)));
        return path;
    }

    test::CliRun Denoise(const std::string& in, const std::string& option = "") {
        std::vector<std::string> args = {"denoise", in, "-o", in + ".out.jpg"};
        if (!option.empty()) args.push_back(option);
        test::CliRun run = test::RunCli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run;
    }

    static std::vector<LearnedProfileRecord> Learned() {
        LearnedProfileStore store(DefaultProfileFolder());
        store.LoadProfileStore();
        return store.Records();
    }

    test::TempFolder folder_;
};

bool Says(const test::CliRun& run, const std::string& text) {
    return run.err.find(text) != std::string::npos;
}

TEST_F(LearningCli, MeasuresAndLearnsUntilTheLearnedProfileIsConfidentThenUsesIt) {
    const std::string first = Shot("a.jpg", 1, 400);
    EXPECT_TRUE(Says(Denoise(first), "measured profile"));
    auto learned = Learned();
    ASSERT_EQ(learned.size(), 1u);
    EXPECT_EQ(learned[0].contributors, 1);
    EXPECT_EQ(learned[0].descriptor.isoSpeed, 400);

    // The same image again, however its path is spelt, is measured (the data is thin) but not
    // learned twice.
    fs::create_directory(folder_.Path() / "sub");
    for (const fs::path& again :
         {fs::path(first), folder_.Path() / "." / "a.jpg", folder_.Path() / "sub" / ".." / "a.jpg"})
        EXPECT_TRUE(Says(Denoise(again.string()), "measured profile"));
    EXPECT_EQ(Learned()[0].contributors, 1);

    // Another image of the camera merges into the record.
    EXPECT_TRUE(Says(Denoise(Shot("b.jpg", 2, 400)), "measured profile"));
    learned = Learned();
    ASSERT_EQ(learned.size(), 1u);
    EXPECT_EQ(learned[0].contributors, 2);

    // Many more images of this camera, ISO and light, as if learned from large files.
    {
        LearnedProfileStore store(DefaultProfileFolder());
        ASSERT_TRUE(store.LoadProfileStore());
        NoiseProfile rich = learned[0].profile;
        for (auto& band : rich.bands)
            for (auto& bin : band.counts)
                for (auto& count : bin) count = 4000;
        ASSERT_TRUE(
            store.LearnFromImage("/elsewhere/many.jpg", learned[0].descriptor, rich, true).saved);
    }
    ASSERT_EQ(Learned()[0].contributors, 3);
    const test::CliRun confident = Denoise(Shot("c.jpg", 3, 400));
    EXPECT_TRUE(Says(confident, "learned profile")) << confident.err;
    const auto at = confident.err.find("confidence ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GE(std::stoi(confident.err.substr(at + 11)), 70);
    EXPECT_EQ(Learned()[0].contributors, 3);  // not measured, so nothing to learn

    // Learning off: the image is measured and the store is left alone.
    EXPECT_TRUE(Says(Denoise(Shot("d.jpg", 4, 400), "--no-learn"), "measured profile"));
    EXPECT_EQ(Learned()[0].contributors, 3);

    // Another ISO is another record.
    EXPECT_TRUE(Says(Denoise(Shot("e.jpg", 5, 1600)), "measured profile"));
    learned = Learned();
    ASSERT_EQ(learned.size(), 2u);
    EXPECT_EQ(learned[1].descriptor.isoSpeed, 1600);
}

}  // namespace
}  // namespace stillpix
