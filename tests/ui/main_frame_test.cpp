// The main window's processing binding: the view's drawing and zoom, the preview of the visible
// tiles, Go under the progress window, Cancel, Undo, the preview toggle and the status texts.
#include <QAbstractScrollArea>
#include <QAction>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QThread>
#include <QToolBar>
#include <QWidgetAction>

#include "tests/document/document_fixture.h"
#include "ui/noise_cleaner_view.h"
#include "ui_test_support.h"

namespace stillpix::test {
namespace {

int TilesMeeting(const TileGrid& grid, const TileRect& rect) {
    int count = 0;
    for (int i = 0; i < grid.count; ++i) count += TileMeets(grid.tiles[i].inner, rect) ? 1 : 0;
    return count;
}

TEST_F(FrameTest, TheViewDrawsTheBottomUpBitmapUprightAtEveryZoomStep) {
    options_.settings.defaultZoom = 100;
    // A red top-left corner on a blue image: drawn upright, the view's first image row is red.
    Convert("-size 300x200 xc:blue -fill red -draw 'rectangle 0,0 29,19' " +
            File("c.png").string());
    OpenAndProfile(File("c.png"));
    CNoiseCleanerView& view = frame_->View();
    EXPECT_EQ(StatusPane(1), "Size: 300x200");
    EXPECT_EQ(StatusPane(2), "Zoom: 100%");
    const DrawPlan plan =
        PlanDrawing({300, 200}, {view.viewport()->width(), view.viewport()->height()}, 100, 0, 0);
    const QImage shown = view.viewport()->grab().toImage();
    EXPECT_EQ(shown.pixelColor(plan.destLeft + 2, plan.destTop + 2), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(plan.destLeft + 2, plan.destTop + 198), QColor(Qt::blue));
    SaveScreenshotOf(frame_.get(), "main_window_small_image");

    // Zoom In up to 400 %, where it stops; Zoom Out down to 25 %; 800 is ignored.
    for (int expected : {200, 400, 400}) {
        Action("zoomIn")->trigger();
        EXPECT_EQ(view.Zoom(), expected);
    }
    frame_->RequestIdlePass();
    ASSERT_TRUE(WaitFor([&] { return !Action("zoomIn")->isEnabled(); }));
    EXPECT_EQ(view.horizontalScrollBar()->value() % 4, 0);  // whole image pixels
    for (int i = 0; i < 5; ++i) Action("zoomOut")->trigger();
    EXPECT_EQ(std::tuple(view.Zoom(), StatusPane(2)), std::tuple(25, QString("Zoom: 25%")));
    view.SetZoom(800);
    EXPECT_EQ(view.Zoom(), 25);
}

TEST_F(FrameTest, APreviewAfterTheCountdownFiltersOnlyTheVisibleTiles) {
    options_.settings.defaultZoom = 100;
    WriteLargeScene(File("wide.png"), 2400, 1800);  // 4 x 3 tiles of 600
    OpenAndProfile(File("wide.png"));
    DialogScript script;
    script.Then(Press(QMessageBox::Ok));  // the summary
    Action("go")->trigger();
    ASSERT_EQ(doc_->UnfilteredTiles(), 0);
    options_.settings.autoPreview = 1;
    frame_->SelectPreset(5);  // "Stronger noise": new parameters
    ASSERT_TRUE(
        WaitFor([&] { return doc_->Job().countdown.load() == 0 && !doc_->WorkerRunning(); }));
    const TileRect visible = frame_->View().VisibleRect();
    EXPECT_EQ(visible.left, 0);
    EXPECT_EQ(doc_->FilteredTiles(), TilesMeeting(doc_->Job().tiles, visible));
    EXPECT_LT(doc_->FilteredTiles(), doc_->Job().tiles.count);
    EXPECT_TRUE(WaitFor([&] { return StatusPane(0) == "Click on image to see original"; }));
}

TEST_F(FrameTest, GoRunsTheProgressWindowToTheSummaryAndUndoReturnsTheOriginal) {
    WriteScene(File("photo.png"), 900, 700);
    OpenAndProfile(File("photo.png"));
    SaveScreenshotOf(frame_.get(), "main_window_before_go");
    DialogScript script;
    script.Then(CheckBoxAndPress(QDialogButtonBox::Ok));
    Action("process")->trigger();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(script.Titles(), QStringList{"Processing Summary"});
    EXPECT_TRUE(script.Texts().first().startsWith("Image processing has been completed in "));
    EXPECT_EQ(options_.settings.showSummary, 0);  // "Do not show this window next time."
    EXPECT_EQ(doc_->UnfilteredTiles(), 0);
    ASSERT_TRUE(WaitFor([&] { return StatusPane(0) == "Click on image to see original"; }));
    SaveScreenshotOf(frame_.get(), "main_window_after_go");
    ASSERT_TRUE(WaitFor([&] { return Action("undo")->isEnabled(); }));

    Action("undo")->trigger();
    EXPECT_EQ(doc_->FilteredTiles(), 0);
    EXPECT_EQ(StatusPane(0), "Click \"Go\" button to start processing");
    ASSERT_TRUE(WaitFor([&] { return !Action("undo")->isEnabled(); }));
}

TEST_F(FrameTest, CancelKeepsTheFinishedTilesAndTheNextGoFinishesTheRest) {
    WriteLargeScene(File("big.png"), 3000, 2400);  // 20 tiles
    OpenAndProfile(File("big.png"));
    DialogScript script;
    script.ThenProgress([&](QWidget* dialog) {
        while (doc_->FilteredTiles() == 0) QThread::msleep(1);
        dialog->findChild<QPushButton*>()->click();
    });
    Action("process")->trigger();
    ASSERT_TRUE(WaitFor([&] { return !doc_->WorkerRunning(); }));
    const int kept = doc_->FilteredTiles();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, doc_->Job().tiles.count);
    EXPECT_TRUE(script.Titles().contains("Progress Window"));
    script.Then(Press(QDialogButtonBox::Ok));
    Action("process")->trigger();
    EXPECT_EQ(doc_->UnfilteredTiles(), 0);
    EXPECT_TRUE(script.Done());
}

TEST_F(FrameTest, EveryToolbarCommandShowsAPictureWithoutAnIconTheme) {
    for (QAction* action : frame_->ToolBar()->actions()) {
        if (action->isSeparator() || qobject_cast<QWidgetAction*>(action)) continue;
        EXPECT_FALSE(action->icon().pixmap(24).isNull()) << action->objectName().toStdString();
    }
    SaveScreenshotOf(frame_->ToolBar(), "toolbar");
}

TEST_F(FrameTest, ThePreviewToggleShowsItsNoticeOnceAndPersists) {
    DialogScript script;
    script.Then(CheckBoxAndPress(QDialogButtonBox::Ok));
    QAction* preview = Action("preview");
    EXPECT_EQ(preview->iconText(), "Preview: OFF");
    preview->trigger();
    EXPECT_EQ(preview->iconText(), "Preview: ON");
    EXPECT_EQ(script.Titles(), QStringList{"Automatic Preview Information"});
    preview->trigger();
    preview->trigger();  // on again: no notice now
    EXPECT_EQ(script.Titles().size(), 1);
    const AppOptions stored = LoadSettings(store_, folder_.Path());
    EXPECT_EQ(stored.settings.autoPreview, 1);
    EXPECT_EQ(stored.settings3.hideAutoPreviewNotice, 1);
}

}  // namespace
}  // namespace stillpix::test
