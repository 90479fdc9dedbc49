// The main window's right-hand panes: the toggles, their View items and the stored value, and a
// photo opened from the browser into the view.
#include <QAction>
#include <QListView>
#include <QMenu>
#include <QToolBar>

#include "browser/browser_dialog_bar.h"
#include "tests/document/document_fixture.h"
#include "ui_test_support.h"

namespace stillpix::test {
namespace {

TEST_F(FrameTest, TheBrowserToggleShowsThePaneAndStoresTheRightPaneValue) {
    QAction* browser = Action("browser");
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->toolTip(), "Browser");
    EXPECT_TRUE(frame_->ViewMenu()->actions().contains(browser));
    EXPECT_EQ(browser->text(), "&Image Browser");
    const QList<QAction*> tools = frame_->ToolBar()->actions();
    EXPECT_GT(tools.indexOf(browser), tools.indexOf(Action("preview")));

    browser->trigger();
    EXPECT_TRUE(frame_->Browser()->isVisible());
    EXPECT_TRUE(browser->isChecked());
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.rightPanes, 1);
    browser->trigger();
    EXPECT_FALSE(frame_->Browser()->isVisible());
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.rightPanes, 0);
}

TEST_F(FrameTest, ADoubleClickInTheBrowserOpensThePhoto) {
    std::filesystem::create_directory(File("shots"));
    WriteScene(File("shots") / "harbour.png", 160, 120);
    Action("browser")->trigger();
    CBrowserDialogBar& browser = *frame_->Browser();
    ASSERT_TRUE(browser.NavigateTo(File("shots").string()));
    ASSERT_EQ(browser.Model().Count(), 1);
    ASSERT_TRUE(WaitFor([&] { return !browser.LoaderRunning(); }));
    SaveScreenshotOf(frame_.get(), "main_window_browser");
    Q_EMIT browser.IconList()->doubleClicked(browser.Model().index(0, 0));
    // The file decodes on a thread of its own.
    ASSERT_TRUE(WaitFor([&] { return StatusPane(1) == "Size: 160x120"; }));
    EXPECT_TRUE(doc_->HasImage());
}

}  // namespace
}  // namespace stillpix::test
