// The main window's "Options..." command: it runs the window's one sheet, and OK takes effect.
#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QMenu>
#include <QTabWidget>

#include "ui/options_sheet.h"
#include "ui_test_support.h"

namespace stillpix::test {
namespace {

TEST_F(FrameTest, ViewOptionsRunsTheSheetAndOkReachesTheToolbarAndTheStore) {
    EXPECT_EQ(frame_->ViewMenu()->actions().back(), Action("options"));
    options_.settings.autoPreview = 0, options_.settings3.recentLength = 4;
    DialogScript script;
    script.Then([](QWidget* dialog) {
        auto* sheet = qobject_cast<COptionsSheet*>(dialog);
        ASSERT_NE(sheet, nullptr);
        sheet->Tabs()->setCurrentIndex(int(OptionsPage::kNoiseFilter));
        qobject_cast<QCheckBox*>(sheet->Page(OptionsPage::kNoiseFilter)
                                     ->Control("Update Preview Window when filter parameters "
                                               "changed"))
            ->setChecked(true);
        Press(QDialogButtonBox::Ok)(dialog);
    });
    Action("options")->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(script.Titles(), QStringList{"Options"});
    EXPECT_TRUE(Action("preview")->isChecked());
    const AppOptions stored = LoadSettings(store_, folder_.Path());
    EXPECT_EQ(stored.settings.autoPreview, 1);
    EXPECT_EQ(stored.settings3.recentLength, 4);  // a page not shown in this opening keeps it
}

}  // namespace
}  // namespace stillpix::test
