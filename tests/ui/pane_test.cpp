// The noise filter pane's binding: the update rule, presets, compact mode, the profile section
// and its self-learning box; screenshots of the pane.
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include "pane_fixture.h"
#include "ui/level_box.h"
#include "ui/profile_section.h"

namespace stillpix {
namespace {

using test::PaneTest;

TEST_F(PaneTest, AnyMoveShowsItsLabelAndSwitchesToCustom) {
    // Field, value, its label.
    for (const auto& [field, value, label] : {std::tuple{1, 8, "+40%"},
                                              {3, -20, "-100%"},
                                              {2, 4, "+20%"},
                                              {12, 14, "70%"},
                                              {7, 3, "+3"}}) {
        pane_->SelectPreset(1);
        doc_->Job().saved.store(true);
        Move(field, value);
        EXPECT_EQ(Label(field), label);
        EXPECT_EQ(pane_->SelectedPreset(), kCustomSlot) << label;
        EXPECT_EQ(Filter().PresetList()->currentIndex(), kCustomSlot);
        EXPECT_EQ(toolbarSlot_, kCustomSlot);
        EXPECT_EQ(FilterFieldValues(presets_.slots[kCustomSlot].settings)[field], value);
        EXPECT_EQ(doc_->FilterParameters(), ToNoiseFilterParams(pane_->CurrentSettings()));
        EXPECT_FALSE(doc_->Job().saved.load());
        EXPECT_GT(doc_->Job().countdown.load(), 0);
    }
    // Back to the preset's value: "Custom" holds the same values now and stays selected.
    Move(7, presets_.slots[1].settings.sharpening);
    EXPECT_EQ(pane_->SelectedPreset(), kCustomSlot);
}

TEST_F(PaneTest, ChoosingLandscapeAppliesAllSixteenFields) {
    Q_EMIT Filter().PresetList()->activated(1);
    const auto expected = FilterFieldValues(presets_.slots[1].settings);
    EXPECT_EQ(FilterFieldValues(pane_->CurrentSettings()), expected);
    for (int field = 0; field < kFilterFields; ++field)
        if (Filter().Slider(field)) {
            EXPECT_EQ(Filter().Slider(field)->value(), expected[field]);
        }
    EXPECT_EQ(Filter().Slider(15)->value(), 18);
    EXPECT_EQ(Filter().DegreeList()->currentIndex(), 3);
    EXPECT_EQ(pane_->SelectedPreset(), 1);
    EXPECT_EQ(toolbarSlot_, 1);
    EXPECT_EQ(doc_->FilterParameters(), ToNoiseFilterParams(presets_.slots[1].settings));
}

TEST_F(PaneTest, CompactModeHidesTheDegreeButKeepsItsValue) {
    const auto shown = [this] {
        return std::tuple(pane_->Expanded(), Filter().MoreButton()->text().toStdString(),
                          !Filter().DegreeList()->isHidden(), !Filter().Slider(13)->isHidden());
    };
    EXPECT_EQ(shown(), std::tuple(false, "More Controls >>", false, false));
    pane_->SelectPreset(1);  // "Landscape", degree "Low"
    Move(1, 4);
    EXPECT_EQ(std::tuple(pane_->CurrentSettings().processingDegree,
                         doc_->FilterParameters().processingDegreeMode),
              std::tuple(3, 3u));
    Filter().MoreButton()->click();
    EXPECT_EQ(shown(), std::tuple(true, "Less Controls <<", true, true));
}

TEST_F(PaneTest, WithoutADocumentOnlyTheLabelsFollow) {
    pane_->SetDocument(nullptr);
    pane_->SelectPreset(2);
    Move(1, -4);
    EXPECT_EQ(Label(1), "-20%");
    EXPECT_EQ(pane_->SelectedPreset(), 2);
    EXPECT_EQ(presets_.slots[kCustomSlot].settings, FilterSettings{});
}

TEST_F(PaneTest, SectionsOpenOneAtATimeAndStartFromTheStoredField) {
    EXPECT_EQ(pane_->OpenSectionsField(), 0);
    pane_->OpenSection(CLeftPaneDialogBar::kExifSection, true);
    pane_->OpenSection(CLeftPaneDialogBar::kNoiseProfileSection, true);
    EXPECT_EQ(pane_->OpenSectionsField(), 2);
    EXPECT_TRUE(pane_->ExifList()->isHidden());
    for (int stored : {1, 2, 3}) {
        options_.settings2.leftPaneSections = stored;
        CLeftPaneDialogBar fresh(PaneContext{&presets_, &options_, &store_});
        EXPECT_EQ(fresh.OpenSectionsField(), stored == 3 ? 0 : stored);
    }
}

TEST_F(PaneTest, ProfileSectionShowsTheActiveProfilesBand) {
    CProfileMainEmbDialog& section = *pane_->ProfileSection();
    EXPECT_EQ(section.StateText()->text(), "No image");
    test::WriteScene(File("scene.png"), 96, 64);
    ASSERT_TRUE(doc_->OnOpenDocument(File("scene.png")));
    pane_->RefreshFilterPane();
    EXPECT_EQ(section.StateText()->text(), "Please wait while noise profile is being built...");
    EXPECT_TRUE(section.Graph()->isHidden());
    EXPECT_FALSE(section.SelfLearningCheck()->isEnabled());
    doc_->OnFirstShown();
    doc_->WaitForWorker();
    pane_->RefreshFilterPane();
    EXPECT_TRUE(section.StateText()->isHidden());
    section.FrequencyList()->setCurrentRow(2);
    const ProfileBand& low = doc_->Job().profiles[kLearnedProfile].bands[2];
    CLevelBox& graph = *section.Graph();
    ASSERT_EQ(graph.Curves(), 3);
    ASSERT_EQ(graph.Points(), low.binCount);
    for (int bin = 0; bin < low.binCount; ++bin)
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_EQ(graph.Value(channel, bin), low.levels[bin][channel]);
}

TEST_F(PaneTest, SelfLearningBoxRefusesAnImageWithoutIso) {
    OpenScene();
    QCheckBox& box = *pane_->ProfileSection()->SelfLearningCheck();
    EXPECT_TRUE(box.isChecked());
    ASSERT_TRUE(box.isEnabled());
    box.click();
    EXPECT_TRUE(box.isChecked());
    ASSERT_EQ(window_.shown.size(), 1u);
    EXPECT_EQ(window_.shown[0].kind, MessageKind::kWarning);
    EXPECT_TRUE(window_.shown[0].text.ends_with(" - ISO Speed: Unknown"));
}

TEST_F(PaneTest, SelfLearningBoxSwitchesProfilesAndOffersToEnableLearning) {
    OpenScene(400);
    QCheckBox& box = *pane_->ProfileSection()->SelfLearningCheck();
    EXPECT_FALSE(box.isChecked());
    box.click();  // measured for this image: switch to its own profile
    EXPECT_TRUE(doc_->UsesIndividualProfile());
    EXPECT_TRUE(window_.shown.empty());
    options_.settings2.selfLearning = 0;
    window_.answers = {MessageAnswer::kNo, MessageAnswer::kYes};
    box.click();
    EXPECT_TRUE(box.isChecked());
    EXPECT_EQ(window_.shown.back().text,
              "The Self-Learning Noise Profiling is disabled.\r\nDo you want to enable it?");
    box.click();
    EXPECT_FALSE(box.isChecked());
    EXPECT_FALSE(doc_->UsesIndividualProfile());
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.selfLearning, 1);
}

TEST_F(PaneTest, ScreenshotsCompactAndExpanded) {
    OpenScene(400, "-attenuate 0.6 +noise Gaussian");
    pane_->ShowExifRows(doc_->Image()->Formatter().Labels(), doc_->Image()->Formatter().Values());
    pane_->OpenSection(CLeftPaneDialogBar::kNoiseProfileSection, true);
    pane_->resize(300, 760);
    pane_->show();
    const int compact = pane_->FilterSection()->sizeHint().height();
    test::SaveScreenshotOf(pane_.get(), "pane_compact");
    test::SaveScreenshotOf(pane_->ProfileSection()->Graph(), "profile_graph");
    pane_->SetExpanded(true);
    pane_->OpenSection(CLeftPaneDialogBar::kExifSection, true);
    pane_->resize(300, 900);
    EXPECT_GT(pane_->FilterSection()->sizeHint().height(), compact);
    test::SaveScreenshotOf(pane_.get(), "pane_expanded");
}

}  // namespace
}  // namespace stillpix
