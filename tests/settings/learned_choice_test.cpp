// The profile stage: when the learned profile is used, when the image is measured, and when a
// measurement is learned. Measuring is a stand-in here that counts its calls; the stage over the
// engine's measurements runs in learning_cli_test.cpp.
#include <gtest/gtest.h>

#include <vector>

#include "learned_fixtures.h"
#include "settings/image_profile_choice.h"
#include "settings/profile_matching.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

using test::Descriptor;
using test::UniformProfile;

NoiseProfile Smoothed(NoiseProfile p) {
    SmoothProfile(p);
    return p;
}

bool SameProfile(const NoiseProfile& a, const NoiseProfile& b) {
    return EncodeNoiseProfile(a) == EncodeNoiseProfile(b);
}

ProfileChoiceOptions Options(void (*change)(ProfileChoiceOptions&)) {
    ProfileChoiceOptions options;
    change(options);
    return options;
}

class ProfileStage : public ::testing::Test {
protected:
    // Runs the stage for `path`, measuring `measured` (or failing when `measureOk` is false).
    bool Run(const std::string& path, const NoiseProfile& measured,
             ProfileChoiceOptions options = {}, test::Shot shot = {}, bool measureOk = true) {
        const auto measure = [&](NoiseProfile& p) {
            ++measurements_;
            p = measured;
            return measureOk;
        };
        return ChooseImageProfile(Descriptor(shot), path, options, store_, measure, choice_);
    }
    // What the choice says: measured, built the image's own profile, and what learning did.
    void ExpectChoice(bool measured, bool built, LearnOutcome learned) {
        EXPECT_EQ(choice_.measured, measured);
        EXPECT_EQ(choice_.individualProfileBuilt, built);
        EXPECT_EQ(choice_.learned.outcome, learned);
    }

    test::TempFolder temp_;
    LearnedProfileStore store_{temp_.Path()};
    ProfileChoice choice_;
    int measurements_ = 0;
};

// Counts 4096 everywhere make a complete profile (confidence 100); 1536 one of 93; 100 one of 17.
TEST_F(ProfileStage, FirstImageIsMeasuredAndLearnedAndAConfidentProfileIsThenUsedAsIs) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 1536)));
    EXPECT_EQ(choice_.confidence, 0);
    ExpectChoice(true, true, LearnOutcome::kAppended);
    EXPECT_TRUE(choice_.learned.saved);
    EXPECT_TRUE(std::filesystem::exists(temp_.Path() / "sxprofiles.sxp"));
    EXPECT_TRUE(SameProfile(choice_.individual, Smoothed(UniformProfile(200, 1536))));
    EXPECT_EQ(choice_.profile.bands[0].levels[5][0], 200);
    EXPECT_EQ(ProfileConfidence(choice_.profile), 93);

    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(999, 1536)));
    EXPECT_EQ(measurements_, 1);
    EXPECT_EQ(choice_.confidence, 93);
    ExpectChoice(false, false, LearnOutcome::kNotEligible);
    EXPECT_TRUE(SameProfile(choice_.profile, choice_.individual));
    EXPECT_EQ(choice_.profile.bands[2].levels[3][1], 200);
    EXPECT_EQ(store_.Records()[0].contributors, 1);
}

TEST_F(ProfileStage, AskingForTheImagesOwnProfileMeasuresAndLearns) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 1536)));
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(400, 1536),
                    Options([](auto& o) { o.alwaysBuildImageProfile = true; })));
    EXPECT_EQ(measurements_, 2);
    ExpectChoice(true, true, LearnOutcome::kMerged);
    EXPECT_EQ(choice_.individual.bands[0].levels[0][0], 400);
    EXPECT_EQ(choice_.profile.bands[0].levels[0][0], 300);  // the merged record: (200 + 400) / 2
    // The two images together have counts of 3072: complete, so measured but not learned.
    ASSERT_TRUE(Run("/p/third.jpg", UniformProfile(400, 1536),
                    Options([](auto& o) { o.buildRequested = true; })));
    EXPECT_EQ(measurements_, 3);
    EXPECT_EQ(choice_.confidence, 100);
    ExpectChoice(true, false, LearnOutcome::kNotEligible);
    EXPECT_EQ(store_.Records()[0].contributors, 2);
    EXPECT_TRUE(SameProfile(choice_.profile, choice_.individual));
    EXPECT_EQ(choice_.profile.bands[0].levels[0][0], 400);
}

TEST_F(ProfileStage, UnsureLearnedProfileMeasuresAndTheResultIncludesThisImage) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(600, 100)));
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(200, 100)));
    EXPECT_EQ(measurements_, 2);
    EXPECT_EQ(choice_.confidence, 17);
    ExpectChoice(true, true, LearnOutcome::kMerged);
    EXPECT_EQ(choice_.individual.bands[1].levels[4][2], 200);
    EXPECT_EQ(choice_.profile.bands[1].levels[4][2], 400);  // (600 x 100 + 200 x 100) / 200
    EXPECT_EQ(choice_.profile.bands[1].counts[4][2], 200);
}

TEST_F(ProfileStage, SelfLearningOffMeasuresEveryImageAndLearnsNothing) {
    const auto off = Options([](auto& o) { o.selfLearning = false; });
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 4096), off));
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(200, 4096), off));
    EXPECT_EQ(measurements_, 2);
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "sxprofiles.sxp"));
    EXPECT_TRUE(SameProfile(choice_.profile, choice_.individual));
}

TEST_F(ProfileStage, BatchOptions) {
    ProfileChoiceOptions batch{.kind = ProfileRunKind::kBatchImage, .learnWhileBatch = false};
    ASSERT_TRUE(Run("/p/1.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(store_.Count(), 0);
    batch.learnWhileBatch = true;
    ASSERT_TRUE(Run("/p/2.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(store_.Count(), 1);
    ASSERT_TRUE(Run("/p/3.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(measurements_, 2);  // learned data suffices
    batch.skipBuildWhenSufficient = false;
    ASSERT_TRUE(Run("/p/4.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(measurements_, 3);
    // "Always build" belongs to single images only.
    batch.skipBuildWhenSufficient = batch.alwaysBuildImageProfile = true;
    ASSERT_TRUE(Run("/p/5.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(measurements_, 3);
}

TEST_F(ProfileStage, ImagesThatDoNotQualifyAreMeasuredOnlyAndAStoppedMeasurementLearnsNothing) {
    ASSERT_TRUE(
        Run("/p/own.jpg", UniformProfile(200, 4096), {}, {.software = "Veltrano Stillpix"}));
    ASSERT_TRUE(Run("/p/noiso.jpg", UniformProfile(200, 4096), {}, {.iso = 0}));
    EXPECT_EQ(measurements_, 2);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kNotEligible);
    EXPECT_TRUE(SameProfile(choice_.profile, Smoothed(UniformProfile(200, 4096))));
    EXPECT_FALSE(Run("/p/first.jpg", UniformProfile(200, 4096), {}, {}, false));
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_FALSE(choice_.individualProfileBuilt);
}

}  // namespace
}  // namespace stillpix
