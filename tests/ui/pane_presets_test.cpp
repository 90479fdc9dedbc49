// Custom filters saved and deleted from the pane through the real settings store, the save
// dialog's prompts, the commands' availability and the preset pictures.
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include "pane_fixture.h"
#include "settings/custom_filters.h"
#include "ui/filter_save_dialog.h"
#include "ui/preset_pictures.h"

namespace stillpix {
namespace {

using test::PaneTest;

// Types each name into the open save dialog and presses OK; Cancel when the dialog is still
// open after the last one.
void TypeNames(std::vector<QString> names) {
    QTimer::singleShot(0, [names] {
        auto* dialog = qobject_cast<CFilterSaveDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (const QString& name : names) {
            dialog->NameBox()->setEditText(name);
            dialog->accept();
            if (!dialog->isVisible()) return;
        }
        dialog->reject();
    });
}

PresetTable Reloaded(const std::filesystem::path& file) {
    QSettingsStore store(file);
    PresetTable table;
    BuildPresetTable(store, table);
    return table;
}

TEST_F(PaneTest, CommandsNeedAnImageAndDeleteACustomFilter) {
    EXPECT_FALSE(pane_->CanSaveSettings());
    EXPECT_FALSE(Filter().SaveButton()->isEnabled());
    OpenScene();
    EXPECT_TRUE(Filter().SaveButton()->isEnabled());
    EXPECT_FALSE(Filter().DeleteButton()->isEnabled());
}

TEST_F(PaneTest, SaveRefusesBadNamesThenListsTheFilterAndDeleteRemovesIt) {
    int rebuilt = 0;
    QObject::connect(pane_.get(), &CLeftPaneDialogBar::PresetsRebuilt, [&] { ++rebuilt; });
    OpenScene();
    pane_->SelectPreset(2);
    Move(1, 6);  // "Custom" now
    TypeNames({"", QString(65, 'x'), "Evening"});
    pane_->SaveSettings();
    ASSERT_EQ(window_.shown.size(), 2u);
    EXPECT_EQ(window_.shown[0].text, "Please specify the Name for the settings.");
    EXPECT_EQ(window_.shown[1].text, "Name cannot be longer then 64 symbols.");
    EXPECT_EQ(window_.shown[1].kind, MessageKind::kWarning);
    EXPECT_EQ(rebuilt, 1);
    ASSERT_EQ(presets_.count, 16);
    const int evening = *FindPreset(presets_, "Evening");
    EXPECT_EQ(std::tuple(pane_->SelectedPreset(), toolbarSlot_,
                         pane_->CurrentSettings().luminanceNoiseLevel),
              std::tuple(evening, evening, 6));
    EXPECT_EQ(Filter().PresetList()->currentText(), "Evening");
    EXPECT_EQ(Reloaded(store_.File()).slots[evening].settings, pane_->CurrentSettings());
    // Shown indented with the custom picture.
    EXPECT_EQ(Filter().PresetList()->itemIcon(evening).pixmap(16).toImage(),
              PresetIcon(kImageCustom).pixmap(16).toImage());
    EXPECT_EQ(Filter().PresetList()->itemData(evening, kPresetIndentRole).toInt(), 1);
    EXPECT_EQ(Filter().PresetList()->itemData(kCustomSlot, kPresetIndentRole).toInt(), 0);

    // The same name again: No keeps the dialog open, Yes overwrites.
    Move(1, 2);
    window_.answers = {MessageAnswer::kNo, MessageAnswer::kYes};
    TypeNames({"Evening", "Evening"});
    pane_->SaveSettings();
    EXPECT_EQ(window_.shown.back().text,
              "A Custom Filter Setting 'Evening' already exists. Do you want to overwrite it?");
    EXPECT_EQ(presets_.count, 16);
    EXPECT_EQ(Reloaded(store_.File()).slots[evening].settings.luminanceNoiseLevel, 2);

    options_.settings.defaultFilterSlot = 3;
    ASSERT_TRUE(pane_->CanDeleteSettings());
    window_.answers = {MessageAnswer::kNo};
    pane_->DeleteSettings();
    EXPECT_EQ(presets_.count, 16);
    Filter().DeleteButton()->click();
    EXPECT_EQ(window_.shown.back().text, "Do you want to delete 'Evening'?");
    EXPECT_EQ(
        std::tuple(Reloaded(store_.File()).count, presets_.count, pane_->SelectedPreset(), rebuilt),
        std::tuple(15, 15, 3, 3));
    EXPECT_EQ(pane_->CurrentSettings(), presets_.slots[3].settings);
    EXPECT_EQ(doc_->FilterParameters(), ToNoiseFilterParams(presets_.slots[3].settings));
}

TEST_F(PaneTest, FullTableRefusesANewNameWithAnError) {
    OpenScene();
    for (int i = 0; i < kMaxCustomFilters; ++i)
        ASSERT_EQ(SaveCustomFilter(store_, presets_, "F" + std::to_string(i), 0, false).outcome,
                  SaveFilterOutcome::kSaved);
    pane_->FillPresetList();
    TypeNames({"One more"});
    pane_->SaveSettings();
    ASSERT_EQ(window_.shown.size(), 1u);  // its text: presets_test.cpp
    EXPECT_EQ(window_.shown[0].kind, MessageKind::kError);
    EXPECT_EQ(presets_.count, kPresetSlots);
}

TEST(PresetPictures, SevenDistinctSixteenPixelPictures) {
    test::QtApplication();
    std::vector<QImage> seen;
    for (int index = 0; index < kPresetPictureCount; ++index) {
        const QImage picture = PresetIcon(index).pixmap(16).toImage();
        ASSERT_EQ(picture.size(), QSize(16, 16)) << index;
        for (const QImage& other : seen) EXPECT_NE(picture, other) << index;
        seen.push_back(picture);
    }
    EXPECT_EQ(PresetIcon(9).pixmap(16).toImage(), seen[kImageGeneral]);
}

}  // namespace
}  // namespace stillpix
