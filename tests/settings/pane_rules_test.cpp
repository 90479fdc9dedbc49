// The noise filter pane's rules: choosing presets, the slot a filled list selects, the custom
// filter commands' availability, the value labels and the self-learning box.
#include <gtest/gtest.h>

#include <cstring>

#include "settings/custom_filters.h"
#include "settings/preset_selection.h"
#include "settings/self_learning_box.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

class PresetChoice : public test::StoreTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(BuildPresetTable(store_, table_));
        // A copy of "Portrait", and a custom filter named like the built-in "Default".
        ASSERT_EQ(SaveCustomFilter(store_, table_, "Mine", 3, false).outcome,
                  SaveFilterOutcome::kSaved);
        const SaveFilterResult other = SaveCustomFilter(store_, table_, "Default", 2, false);
        ASSERT_EQ(other.outcome, SaveFilterOutcome::kSaved);
        customDefault_ = other.slot;
        mine_ = *FindPreset(table_, "Mine");
    }
    PresetTable table_;
    int mine_ = -1, customDefault_ = -1;
};

TEST_F(PresetChoice, SelectingCopiesAllFieldsAndOutOfRangeMeansDefault) {
    const PresetSelection landscape = SelectPreset(table_, 1);
    EXPECT_EQ(landscape.slot, 1);
    EXPECT_EQ(landscape.current.bandSuppression[3], 18);
    EXPECT_EQ(landscape.current.processingDegree, 3);
    EXPECT_EQ(SelectPreset(table_, mine_).current, table_.slots[3].settings);
    for (int outside : {-1, 17, 40}) EXPECT_EQ(SelectPreset(table_, outside).slot, 0) << outside;
}

TEST_F(PresetChoice, FilledListSelectsTheNamedSlotElseTheDefaultOne) {
    // clang-format off
    for (const auto& [defaultSlot, name, slot] : {std::tuple{4, "Mine", mine_},
             {4, "Default", customDefault_}, {4, "mine", 4}, {16, "", 16}, {17, "", 0}, {-3, "", 0},
             {2, "", 2}})
        EXPECT_EQ(PresetToSelect(table_, defaultSlot, name), slot) << name << defaultSlot;
    // clang-format on
    EXPECT_EQ(PresetIndent(14) + PresetIndent(15), 1);
}

TEST_F(PresetChoice, DeleteOnlyForACustomFilterOfALoadedImage) {
    // clang-format off
    for (const auto& [image, slot, canDelete] : {std::tuple{true, 15, true}, {true, 16, true},
             {false, 15, false}, {true, 14, false}, {true, 17, false}, {true, -1, false}})
        EXPECT_EQ(CanDeleteFilterSettings(image, table_, slot), canDelete) << slot;
    // clang-format on
}

TEST(FilterValueLabels, FivePercentStepsAndSigns) {
    // clang-format off
    for (const auto& [field, value, shown] : {std::tuple{1, 8, "+40%"}, {2, 0, "0%"},
             {3, -20, "-100%"}, {6, 40, "+200%"}, {5, -1, "-5%"}, {7, 3, "+3"}, {7, -5, "-5"},
             {7, 0, "0"}, {10, 14, "70%"}, {15, 0, "0%"}, {12, 20, "100%"}, {0, 2, "Normal"},
             {0, 0, "Auto"}, {8, 20, ""}, {16, 1, ""}})
        EXPECT_EQ(FilterValueLabel(field, value), shown) << field << " " << value;
    // clang-format on
}

TEST(SelfLearningBoxRules, StateEnablingAndWhatAClickLeadsTo) {
    using enum SelfLearningStep;
    struct Case {
        SelfLearningFacts facts;  // image, qualifies, learning, individual used, built, ready
        bool checked, enabled;
        SelfLearningStep onClear, onSet;
    };
    const Case cases[] = {
        {{true, true, true, false, true, true}, false, true, kSwitch, kSwitch},
        {{true, true, true, true, true, false}, true, false, kSwitch, kSwitch},
        {{true, false, true, false, true, true}, true, true, kRefuse, kSwitch},
        {{true, true, false, false, true, true}, true, true, kAskEnable, kSwitch},
        {{true, false, false, false, false, true}, true, true, kRefuse, kAskBuild},
        {{true, true, true, false, false, true}, false, true, kSwitch, kAskBuild},
        {{false, false, true, false, false, false}, false, false, kNone, kNone},
    };
    for (const Case& c : cases) {
        const SelfLearningBoxState state = SelfLearningBox(c.facts);
        EXPECT_EQ(std::tuple(state.checked, state.enabled, SelfLearningBoxClicked(false, c.facts),
                             SelfLearningBoxClicked(true, c.facts)),
                  std::tuple(c.checked, c.enabled, c.onClear, c.onSet));
    }
}

TEST(SelfLearningBoxRules, TextsNameTheReasonAndTheSectionsState) {
    const std::string head =
        "The Self-Learning Noise Profiling cannot be enabled for this image because of one of "
        "the following parameters\r\n - ISO Speed: ";
    ImageDescriptor d;
    EXPECT_EQ(SelfLearningRefusedText(d), head + "Unknown");
    d.isoSpeed = 400;
    std::strcpy(d.software, "Veltrano Stillpix");
    EXPECT_EQ(SelfLearningRefusedText(d), head + "400\r\n - Software: Veltrano Stillpix");
    EXPECT_EQ(ProfileSectionText(false, false), "No image");
    EXPECT_EQ(ProfileSectionText(true, false), "Please wait while noise profile is being built...");
    EXPECT_EQ(ProfileSectionText(true, true), "");
}

}  // namespace
}  // namespace stillpix
