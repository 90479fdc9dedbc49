// Stores learned apart merge by learning's rules: exact means worked out by hand, contributors
// counted once, the limit of 99, and one result whatever the order of the stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "learned_fixtures.h"
#include "settings/learned_profile_merge.h"

namespace stillpix {
namespace {

using Store = std::vector<LearnedProfileRecord>;

// A record of `contributors` images with ids first, first + 1, ...
LearnedProfileRecord Learned(const test::Shot& shot, int16_t level, int16_t count, uint32_t first,
                             int contributors) {
    LearnedProfileRecord r =
        test::Record(test::Descriptor(shot), test::UniformProfile(level, count));
    r.contributors = contributors;
    for (int i = 0; i < contributors; ++i) r.imageIds[i] = first + static_cast<uint32_t>(i);
    return r;
}

std::vector<uint8_t> StoreBytes(const Store& store) {
    std::vector<uint8_t> bytes;
    for (const LearnedProfileRecord& r : store) {
        const auto encoded = EncodeLearnedProfileRecord(r);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    return bytes;
}

Store Merge(std::vector<Store> stores) { return MergeLearnedStores(stores); }

struct MergeCase {
    const char* why;
    Store a, b;
    int records, contributors, level, count;  // of the first record
};

TEST(MergeStores, WorkedOutByHand) {
    const test::Shot same{};
    // clang-format off
    const MergeCase cases[] = {
        // The three-image record comes first: (100 x 30 + 200 x 10) / 40.
        {"disjoint images: the count-weighted mean",
         {Learned(same, 100, 30, 1, 2)}, {Learned(same, 200, 10, 3, 3)}, 1, 5, 125, 40},
        // 39 more fit: with 39/60 of 60 = 39 counts, (100 x 60 + 200 x 39) / 99 = 139.4.
        {"no more than 99 images",
         {Learned(same, 100, 60, 1, 60)}, {Learned(same, 200, 60, 101, 60)}, 1, 99, 139, 99},
        {"a record the other grew from adds nothing",
         {Learned(same, 100, 50, 1, 5)}, {Learned(same, 120, 60, 1, 6)}, 1, 6, 120, 60},
        // Ids 1..5 are held already: image 6 comes with 1/6 of 60 counts,
        // (90 x 60 + 120 x 10) / 70 = 94.3.
        {"images both hold count once",
         {[&] { auto r = Learned(same, 90, 60, 1, 6); r.imageIds[5] = 7; return r; }()},
         {Learned(same, 120, 60, 1, 6)}, 1, 7, 94, 70},
        {"a light value 1.6 away stays apart",
         {Learned(same, 100, 10, 1, 2)}, {Learned({.exposure = 1.0 / 600}, 200, 10, 3, 1)},
         2, 2, 100, 10},
        {"another ISO stays apart",
         {Learned(same, 100, 10, 1, 2)}, {Learned({.iso = 800}, 200, 10, 3, 1)}, 2, 2, 100, 10},
    };
    // clang-format on
    for (const MergeCase& c : cases) {
        const Store merged = Merge({c.a, c.b});
        EXPECT_EQ(StoreBytes(merged), StoreBytes(Merge({c.b, c.a}))) << c.why;
        ASSERT_EQ(merged.size(), static_cast<std::size_t>(c.records)) << c.why;
        const LearnedProfileRecord& r = merged[0];
        EXPECT_EQ(r.contributors, c.contributors) << c.why;
        EXPECT_EQ(r.profile.bands[2].levels[7][1], c.level) << c.why;
        EXPECT_EQ(r.profile.bands[0].counts[0][0], c.count) << c.why;
        std::vector<uint32_t> ids(r.imageIds, r.imageIds + r.contributors);
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << c.why;
    }
}

TEST(MergeStores, OneResultWhateverTheOrder) {
    // Light values 0.0, 0.6 and 1.2: the middle one merges with either neighbour, the outer two
    // not with each other, so the order of folding decides what comes out. The canonical order
    // folds the middle one first here, and it takes both (b's second record adds nothing).
    const test::Shot lv0{}, lv06{.exposure = 1.0 / 190}, lv12{.exposure = 1.0 / 290};
    const Store a = {Learned(lv0, 100, 20, 1, 3), Learned({.iso = 200}, 50, 5, 40, 1)};
    const Store b = {Learned(lv06, 130, 10, 10, 3), Learned(lv0, 100, 20, 1, 2)};
    const Store c = {Learned(lv12, 160, 40, 20, 3), Learned({.model = "Other"}, 70, 9, 50, 2)};
    std::vector<Store> stores = {a, b, c};
    const Store merged = Merge(stores);
    ASSERT_EQ(merged.size(), 3u);
    EXPECT_EQ(merged[0].contributors, 9);
    std::sort(stores.begin(), stores.end(),
              [](const Store& x, const Store& y) { return StoreBytes(x) < StoreBytes(y); });
    do {
        EXPECT_EQ(StoreBytes(Merge(stores)), StoreBytes(merged));
        std::vector<Store> reversed = stores;
        for (Store& s : reversed) std::reverse(s.begin(), s.end());
        EXPECT_EQ(StoreBytes(Merge(reversed)), StoreBytes(merged));
    } while (std::next_permutation(
        stores.begin(), stores.end(),
        [](const Store& x, const Store& y) { return StoreBytes(x) < StoreBytes(y); }));
    // Merging again, with itself or with what it came from, changes nothing.
    EXPECT_EQ(StoreBytes(Merge({merged})), StoreBytes(merged));
    EXPECT_EQ(StoreBytes(Merge({merged, merged})), StoreBytes(merged));
    EXPECT_EQ(StoreBytes(Merge({b, merged, a})), StoreBytes(merged));
}

TEST(MergeStores, LearningOneImageIsTheOneContributorCase) {
    Store store = {Learned({}, 100, 3, 1, 98)};
    EXPECT_EQ(FoldLearnedRecord(store, Learned({}, 111, 1, 7, 1)), LearnOutcome::kAlreadyLearned);
    EXPECT_EQ(FoldLearnedRecord(store, Learned({}, 111, 1, 500, 1)), LearnOutcome::kMerged);
    EXPECT_EQ(store[0].profile.bands[0].levels[0][0], 103);  // (100 x 3 + 111) / 4 = 102.75
    EXPECT_EQ(FoldLearnedRecord(store, Learned({}, 111, 1, 501, 1)), LearnOutcome::kRefused);
    EXPECT_EQ(FoldLearnedRecord(store, Learned({}, 111, 1, 0, 1)), LearnOutcome::kAppended);
    EXPECT_EQ(std::tuple(store.size(), store[0].contributors), std::tuple(2u, 99));
}

}  // namespace
}  // namespace stillpix
