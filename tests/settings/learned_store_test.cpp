// Learning into the store (appending, merging, refusing) and combining learned profiles.
#include <gtest/gtest.h>

#include "learned_fixtures.h"
#include "settings/profile_matching.h"
#include "settings/profile_store.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

using test::Descriptor;
using test::Record;
using test::UniformProfile;

class Learning : public ::testing::Test {
protected:
    LearnOutcome Learn(const std::string& path, const test::Shot& shot,
                       const NoiseProfile& profile = UniformProfile(100, 10)) {
        return store_.LearnFromImage(path, Descriptor(shot), profile, true).outcome;
    }
    std::filesystem::path File() const { return temp_.Path() / "sxprofiles.sxp"; }

    test::TempFolder temp_;
    LearnedProfileStore store_{temp_.Path()};
};

TEST_F(Learning, SameImageTwiceIsLearnedOnceButTheFileIsRewritten) {
    EXPECT_EQ(Learn("/p/a.jpg", {}, UniformProfile(100, 10)), LearnOutcome::kAppended);
    std::filesystem::remove(File());
    const LearnResult again =
        store_.LearnFromImage("/p/a.jpg", Descriptor({}), UniformProfile(300, 10), true);
    EXPECT_EQ(again.outcome, LearnOutcome::kAlreadyLearned);
    EXPECT_TRUE(again.saved);
    EXPECT_TRUE(std::filesystem::exists(File()));
    const auto records = store_.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].contributors, 1);
    EXPECT_EQ(records[0].imageIds[0], ImageId("/p/a.jpg"));
    EXPECT_EQ(records[0].profile.bands[0].levels[0][0], 100);
}

TEST_F(Learning, SameConditionsMergeAsCountWeightedMeans) {
    NoiseProfile first = UniformProfile(100, 3), second = UniformProfile(111, 1);
    ProfileBand &a = first.bands[0], &b = second.bands[0];
    a.levels[1][0] = 100, a.counts[1][0] = 1, b.levels[1][0] = 101;
    a.levels[2][1] = 40, a.counts[2][1] = 0, b.levels[2][1] = 2, b.counts[2][1] = 0;
    first.bands[1].counts[0][2] = second.bands[1].counts[0][2] = 30000;
    ASSERT_EQ(Learn("/p/1.jpg", {}, first), LearnOutcome::kAppended);
    // 1/150 s against 1/125 s: light values 0.26 apart, same ISO: merged.
    ASSERT_EQ(Learn("/p/2.jpg", {.exposure = 1.0 / 150}, second), LearnOutcome::kMerged);
    const auto records = store_.Records();
    ASSERT_EQ(records.size(), 1u);
    const LearnedProfileRecord& r = records[0];
    EXPECT_EQ(r.contributors, 2);
    EXPECT_EQ(r.imageIds[1], ImageId("/p/2.jpg"));
    EXPECT_EQ(r.descriptor.exposureTime, 1.0 / 125);  // the first image's shooting data stays
    // Level (100 x 3 + 111) / 4 = 102.75 of count 4; 100.5 rounds up; no counts at all: the
    // levels add up; the count is held at the largest.
    const ProfileBand& b0 = r.profile.bands[0];
    EXPECT_EQ(std::tuple(b0.levels[0][0], b0.counts[0][0], b0.levels[1][0], b0.levels[2][1],
                         b0.counts[2][1], r.profile.bands[1].counts[0][2]),
              std::tuple(103, 4, 101, 42, 0, 32767));
}

TEST_F(Learning, RecordsAreKeyedByIsoAndWholeLightValues) {
    ASSERT_EQ(Learn("/p/1.jpg", {.exposure = 1.0 / 100}), LearnOutcome::kAppended);
    EXPECT_EQ(Learn("/p/2.jpg", {.exposure = 1.0 / 150}),
              LearnOutcome::kMerged);  // 1.4462 ln 1.5 = 0.59: 0
    EXPECT_EQ(Learn("/p/3.jpg", {.exposure = 1.0 / 300}),
              LearnOutcome::kAppended);  // 1.4462 ln 3 = 1.59
    // Another ISO is another record, however close the rest.
    EXPECT_EQ(Learn("/p/4.jpg", {.exposure = 1.0 / 100, .iso = 500}), LearnOutcome::kAppended);
    EXPECT_EQ(store_.Count(), 3);
}

TEST_F(Learning, AnImageKnownToAnyMatchingRecordIsNotLearnedAgain) {
    Learn("/p/1.jpg", {.exposure = 1.0 / 100});
    // 1.4462 ln 2.3 = 1.20 apart (score 39): a second record.
    ASSERT_EQ(Learn("/p/2.jpg", {.exposure = 1.0 / 230}), LearnOutcome::kAppended);
    // 1/150 s lies 0.59 from the first (score 70) and 0.62 from the second (69): the first is
    // the candidate, but the second already holds this image.
    EXPECT_EQ(Learn("/p/2.jpg", {.exposure = 1.0 / 150}), LearnOutcome::kAlreadyLearned);
    EXPECT_EQ(store_.Records()[0].contributors, 1);
    EXPECT_EQ(Learn("/p/3.jpg", {.exposure = 1.0 / 150}), LearnOutcome::kMerged);
    EXPECT_EQ(store_.Records()[0].contributors, 2);
}

TEST_F(Learning, NotEligibleImagesEmptyPathsAndUnusableProfiles) {
    EXPECT_EQ(
        store_.LearnFromImage("/p/a.jpg", Descriptor({}), UniformProfile(1, 1), false).outcome,
        LearnOutcome::kNotEligible);
    EXPECT_EQ(Learn("/p/a.jpg", {.iso = 0}), LearnOutcome::kNotEligible);
    EXPECT_EQ(Learn("/p/a.jpg", {.software = "Veltrano Stillpix"}), LearnOutcome::kNotEligible);
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(File()));
    // A pasted image has no path (id 0): always a record of its own.
    EXPECT_TRUE(store_.AddLearnedProfile("", Record(Descriptor({}), UniformProfile(1, 1))));
    EXPECT_TRUE(store_.AddLearnedProfile("", Record(Descriptor({}), UniformProfile(1, 1))));
    // A profile the store could not keep is refused rather than stored.
    NoiseProfile broken = UniformProfile(1, 1);
    broken.bandCount = 0;
    EXPECT_FALSE(store_.AddLearnedProfile("/p/b.jpg", Record(Descriptor({}), broken)));
    EXPECT_EQ(store_.Count(), 2);
}

TEST_F(Learning, CombiningReplaysMatchingRecordsByWeightedLowerMedian) {
    // Weights per band: count >> (4 - b), held in 1..256. 1024 gives 64, 128, 256, 256;
    // 2048 gives 128, 256, 256, 256.
    store_.AddLearnedProfile("/p/1.jpg", Record(Descriptor({}), UniformProfile(400, 1024)));
    store_.AddLearnedProfile("/p/2.jpg",
                             Record(Descriptor({.iso = 500}), UniformProfile(600, 2048)));
    // Against the second record's own shooting data: the first scores 66 (ISO 400 vs 500), the
    // second 100. Band 0: 64 x 66 / 100 = 42 copies of 400, 128 of 600: lower median 600.
    // Bands 2 and 3: 168 of 400, 256 of 600: 600. Band 1: 84 of 400, 256 of 600: 600.
    NoiseProfile out;
    ResetProfile(out, false);
    ASSERT_TRUE(store_.BuildLearnedProfile(Descriptor({.iso = 500}), out, true));
    for (int b = 0; b < kProfileBands; ++b) {
        EXPECT_EQ(out.bands[b].levels[0][0], 600) << b;
        EXPECT_EQ(out.bands[b].counts[5][1], 3072) << b;  // the counts add up
    }
    // Against the first: 256 copies of 400 in band 3 (score 100) and 256 x 66 / 100 = 168 of 600.
    ASSERT_TRUE(store_.BuildLearnedProfile(Descriptor({}), out, true));
    EXPECT_EQ(out.bands[3].levels[10][2], 400);
    // Band 0: 64 of 400 and 128 x 66 / 100 = 84 of 600; lower median of 148 is entry 73: 600.
    EXPECT_EQ(out.bands[0].levels[0][0], 600);

    // Only with self-learning, an ISO and a score of at least 50: f/5.6 (51 against the first)
    // takes part, ISO 800 (24 and 40) does not.
    EXPECT_FALSE(store_.BuildLearnedProfile(Descriptor({}), out, false));
    for (const test::Shot& shot :
         {test::Shot{.iso = 0}, test::Shot{.model = "other"}, test::Shot{.iso = 800}})
        EXPECT_FALSE(store_.BuildLearnedProfile(Descriptor(shot), out, true))
            << shot.model << " " << shot.iso;
    EXPECT_TRUE(store_.BuildLearnedProfile(Descriptor({.fNumber = 5.6}), out, true));
    store_.Clear();
    EXPECT_EQ(store_.Count(), 0);
    EXPECT_FALSE(store_.BuildLearnedProfile(Descriptor({}), out, true));
}

}  // namespace
}  // namespace stillpix
