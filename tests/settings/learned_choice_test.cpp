// The profile stage: when the learned profile is used, when the image is measured, and when a
// measurement is learned. Measuring is a stand-in here that counts its calls, except in the
// last test, which measures real images with the engine.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/tile_grid.h"
#include "learned_fixtures.h"
#include "settings/image_profile_choice.h"
#include "settings/profile_matching.h"
#include "temp_folder.h"

namespace stillpix {
namespace {

using test::Descriptor;
using test::UniformProfile;

NoiseProfile Smoothed(NoiseProfile p) {
    SmoothProfile(p);
    return p;
}

bool SameProfile(const NoiseProfile& a, const NoiseProfile& b) { return EncodeNoiseProfile(a) == EncodeNoiseProfile(b); }

class ProfileStage : public ::testing::Test {
protected:
    // Runs the stage for `path`, measuring `measured` (or failing when `measureOk` is false).
    bool Run(const std::string& path, const NoiseProfile& measured, ProfileChoiceOptions options = {},
             test::Shot shot = {}, bool measureOk = true) {
        return ChooseImageProfile(Descriptor(shot), path, options, store_,
                                  [&](NoiseProfile& p) {
                                      ++measurements_;
                                      p = measured;
                                      return measureOk;
                                  },
                                  choice_);
    }

    test::TempFolder temp_;
    LearnedProfileStore store_{temp_.Path()};
    ProfileChoice choice_;
    int measurements_ = 0;
};

// Counts 4096 everywhere make a complete profile (confidence 100); 1536 one of 93; 100 one of 17.
TEST_F(ProfileStage, FirstImageOfACameraIsMeasuredAndLearned) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 1536)));
    EXPECT_EQ(measurements_, 1);
    EXPECT_EQ(choice_.confidence, 0);
    EXPECT_TRUE(choice_.measured);
    EXPECT_TRUE(choice_.individualProfileBuilt);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kAppended);
    EXPECT_TRUE(choice_.learned.saved);
    EXPECT_EQ(store_.Count(), 1);
    EXPECT_TRUE(std::filesystem::exists(temp_.Path() / "sxprofiles.sxp"));
    EXPECT_TRUE(SameProfile(choice_.individual, Smoothed(UniformProfile(200, 1536))));
    EXPECT_EQ(choice_.profile.bands[0].levels[5][0], 200);
    EXPECT_EQ(ProfileConfidence(choice_.profile), 93);
}

TEST_F(ProfileStage, ConfidentLearnedProfileIsUsedWithoutMeasuring) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 1536)));
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(999, 1536)));
    EXPECT_EQ(measurements_, 1);
    EXPECT_EQ(choice_.confidence, 93);
    EXPECT_FALSE(choice_.measured);
    EXPECT_FALSE(choice_.individualProfileBuilt);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kNotEligible);
    EXPECT_TRUE(SameProfile(choice_.profile, choice_.individual));
    EXPECT_EQ(choice_.profile.bands[2].levels[3][1], 200);
    EXPECT_EQ(store_.Records()[0].contributors, 1);
}

TEST_F(ProfileStage, AskingForTheImagesOwnProfileMeasuresAndLearns) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 1536)));
    ProfileChoiceOptions always;
    always.alwaysBuildImageProfile = true;
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(400, 1536), always));
    EXPECT_EQ(measurements_, 2);
    EXPECT_TRUE(choice_.individualProfileBuilt);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kMerged);
    EXPECT_EQ(choice_.individual.bands[0].levels[0][0], 400);
    EXPECT_EQ(choice_.profile.bands[0].levels[0][0], 300);   // the merged record: (200 + 400) / 2
    ProfileChoiceOptions requested;
    requested.buildRequested = true;
    // The two images together have counts of 3072: complete, so measured but not learned.
    ASSERT_TRUE(Run("/p/third.jpg", UniformProfile(400, 1536), requested));
    EXPECT_EQ(measurements_, 3);
    EXPECT_EQ(choice_.confidence, 100);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kNotEligible);
    EXPECT_EQ(store_.Records()[0].contributors, 2);
}

TEST_F(ProfileStage, UnsureLearnedProfileMeasuresAndTheResultIncludesThisImage) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(600, 100)));
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(200, 100)));
    EXPECT_EQ(measurements_, 2);
    EXPECT_EQ(choice_.confidence, 17);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kMerged);
    EXPECT_EQ(choice_.individual.bands[1].levels[4][2], 200);
    EXPECT_EQ(choice_.profile.bands[1].levels[4][2], 400);   // (600 x 100 + 200 x 100) / 200
    EXPECT_EQ(choice_.profile.bands[1].counts[4][2], 200);
}

TEST_F(ProfileStage, CompleteLearnedDataIsNotImprovedByMeasuring) {
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 4096)));
    ProfileChoiceOptions always;
    always.alwaysBuildImageProfile = true;
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(300, 4096), always));
    EXPECT_EQ(choice_.confidence, 100);
    EXPECT_TRUE(choice_.measured);
    EXPECT_FALSE(choice_.individualProfileBuilt);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kNotEligible);
    EXPECT_EQ(store_.Records()[0].contributors, 1);
    EXPECT_TRUE(SameProfile(choice_.profile, choice_.individual));
    EXPECT_EQ(choice_.profile.bands[0].levels[0][0], 300);
}

TEST_F(ProfileStage, SelfLearningOffMeasuresEveryImageAndLearnsNothing) {
    ProfileChoiceOptions off;
    off.selfLearning = false;
    ASSERT_TRUE(Run("/p/first.jpg", UniformProfile(200, 4096), off));
    ASSERT_TRUE(Run("/p/second.jpg", UniformProfile(200, 4096), off));
    EXPECT_EQ(measurements_, 2);
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "sxprofiles.sxp"));
    EXPECT_TRUE(SameProfile(choice_.profile, choice_.individual));
}

TEST_F(ProfileStage, BatchOptions) {
    ProfileChoiceOptions batch;
    batch.kind = ProfileRunKind::kBatchImage;
    batch.learnWhileBatch = false;
    ASSERT_TRUE(Run("/p/1.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(store_.Count(), 0);
    batch.learnWhileBatch = true;
    ASSERT_TRUE(Run("/p/2.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(store_.Count(), 1);
    ASSERT_TRUE(Run("/p/3.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(measurements_, 2);   // learned data suffices
    batch.skipBuildWhenSufficient = false;
    ASSERT_TRUE(Run("/p/4.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(measurements_, 3);
    // "Always build" belongs to single images only.
    batch.skipBuildWhenSufficient = true;
    batch.alwaysBuildImageProfile = true;
    ASSERT_TRUE(Run("/p/5.jpg", UniformProfile(200, 4096), batch));
    EXPECT_EQ(measurements_, 3);
}

TEST_F(ProfileStage, ImagesThatDoNotQualifyAreMeasuredOnly) {
    ASSERT_TRUE(Run("/p/own.jpg", UniformProfile(200, 4096), {}, {.software = "Veltrano Stillpix"}));
    ASSERT_TRUE(Run("/p/noiso.jpg", UniformProfile(200, 4096), {}, {.iso = 0}));
    EXPECT_EQ(measurements_, 2);
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_EQ(choice_.learned.outcome, LearnOutcome::kNotEligible);
    EXPECT_TRUE(SameProfile(choice_.profile, Smoothed(UniformProfile(200, 4096))));
}

TEST_F(ProfileStage, StoppedMeasurementLearnsNothing) {
    EXPECT_FALSE(Run("/p/first.jpg", UniformProfile(200, 4096), {}, {}, false));
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_FALSE(choice_.individualProfileBuilt);
}

// A noisy 24-bit bottom-up image: eleven flat stripes, one per luminosity bin, with
// pseudo-random noise of the given seed.
std::vector<uint8_t> NoisyImage(int width, int height, uint32_t seed) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bits(static_cast<std::size_t>(stride) * height);
    uint32_t state = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                state = state * 1664525u + 1013904223u;
                const int noise = static_cast<int>((state >> 24) % 25) - 12;
                const int value = 12 + (x * 11 / width) * 23 + noise;   // a flat stripe per luminosity bin
                bits[static_cast<std::size_t>(y) * stride + x * 3 + c] = static_cast<uint8_t>(std::clamp(value, 0, 255));
            }
    return bits;
}

bool MeasureWithEngine(const ImageDescriptor& shot, const std::string& path, uint32_t seed,
                       LearnedProfileStore& store, ProfileChoice& choice) {
    const std::vector<uint8_t> bits = NoisyImage(1200, 600, seed);
    TileGrid tiles;
    CreateTileGrid(1200, 600, tiles);
    const ProfileImageView view{bits.data(), 1200, 600, 1200 * 3, 24};
    const bool ok = ObtainImageProfile(shot, path, view, tiles, {}, {}, store, choice);
    FreeTileGrid(tiles);
    return ok;
}

TEST(ProfileStageWithTheEngine, FirstImageIsLearnedAndAWellKnownCameraIsNotMeasured) {
    test::TempFolder temp;
    const ImageDescriptor shot = Descriptor({.width = 1200, .height = 600});
    ProfileChoice first;
    {
        LearnedProfileStore store(temp.Path());
        ASSERT_TRUE(MeasureWithEngine(shot, "/photos/img0.jpg", 17, store, first));
        EXPECT_TRUE(first.measured);
        EXPECT_EQ(first.learned.outcome, LearnOutcome::kAppended);
        EXPECT_GT(first.individual.bands[0].levels[5][0], 0);
        // One small image supports its profile only a little.
        EXPECT_LT(ProfileConfidence(first.individual), kSufficientConfidence);

        ProfileChoice second;
        ASSERT_TRUE(MeasureWithEngine(shot, "/photos/img1.jpg", 18, store, second));
        EXPECT_TRUE(second.measured);
        EXPECT_EQ(second.learned.outcome, LearnOutcome::kMerged);
        EXPECT_GT(second.confidence, 0);
        EXPECT_EQ(store.Records()[0].contributors, 2);

        // Many more pictures of this camera: the first image's measurement learned under
        // other names stands for them.
        for (int i = 2; i < kMaxContributors; ++i) {
            LearnedProfileRecord r;
            r.contributors = 1;
            r.descriptor = shot;
            r.profile = first.individual;
            store.AddLearnedProfile("/photos/img" + std::to_string(i) + ".jpg", r);
        }
        ASSERT_TRUE(store.SaveProfileStore());
    }
    LearnedProfileStore reloaded(temp.Path());
    ASSERT_TRUE(reloaded.LoadProfileStore());
    ASSERT_EQ(reloaded.Count(), 1);
    EXPECT_EQ(reloaded.Records()[0].contributors, kMaxContributors);
    ProfileChoice next;
    ASSERT_TRUE(MeasureWithEngine(shot, "/photos/next.jpg", 99, reloaded, next));
    EXPECT_FALSE(next.measured);
    EXPECT_GE(next.confidence, kSufficientConfidence);
    EXPECT_TRUE(SameProfile(next.profile, next.individual));
}

}  // namespace
}  // namespace stillpix
