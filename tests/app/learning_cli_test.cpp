// Self-learning end to end: stillpix-cli denoise run on JPEGs of one camera in a temporary home,
// the learned-profile file read back between the runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/user_paths.h"
#include "settings/profile_store.h"
#include "tests/document/document_fixture.h"
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

    // A noisy picture with the shooting data of one camera (images are known by their paths).
    std::string Shot(const std::string& name, int iso) {
        const std::string path = folder_ / name;
        test::WriteScene(path, 640, 480, "-attenuate 0.6 +noise Gaussian -quality 95");
        test::TagAsCamera(path, iso);
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
    const std::string first = Shot("a.jpg", 400);
    EXPECT_TRUE(Says(Denoise(first), "measured profile"));
    auto learned = Learned();
    ASSERT_EQ(learned.size(), 1u);
    EXPECT_EQ(learned[0].descriptor.isoSpeed, 400);

    // The same image again, however its path is spelt, is measured (the data is thin) but not
    // learned twice. (Merging and keying by ISO: learned_store_test.cpp.)
    fs::create_directory(folder_.Path() / "sub");
    for (const fs::path& again :
         {fs::path(first), folder_.Path() / "." / "a.jpg", folder_.Path() / "sub" / ".." / "a.jpg"})
        EXPECT_TRUE(Says(Denoise(again.string()), "measured profile"));
    EXPECT_EQ(Learned()[0].contributors, 1);

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
    ASSERT_EQ(Learned()[0].contributors, 2);
    const test::CliRun confident = Denoise(Shot("c.jpg", 400));
    EXPECT_TRUE(Says(confident, "learned profile")) << confident.err;
    const auto at = confident.err.find("confidence ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_GE(std::stoi(confident.err.substr(at + 11)), 70);
    EXPECT_EQ(Learned()[0].contributors, 2);  // not measured, so nothing to learn

    // Learning off: the image is measured and the store is left alone.
    EXPECT_TRUE(Says(Denoise(Shot("d.jpg", 400), "--no-learn"), "measured profile"));
    EXPECT_EQ(Learned()[0].contributors, 2);
}

}  // namespace
}  // namespace stillpix
