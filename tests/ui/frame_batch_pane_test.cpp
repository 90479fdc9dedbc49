// The batch pane in the main window: the queue's tree, labels and status line, Exclude from the
// tree and the list, Run Batch's questions, "Batch Settings" and its enabling, and "Add To
// Batch" from the image browser with its notice.
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>

#include "browser/browser_dialog_bar.h"
#include "tests/document/document_fixture.h"
#include "ui/batch_dialog_bar.h"
#include "ui/batch_settings_dialog.h"
#include "ui_test_support.h"

namespace stillpix::test {
namespace {

class BatchPaneTest : public FrameTest {
protected:
    BatchPaneTest() {
        Action("batch")->trigger();
        pane_ = frame_->BatchPane();
        std::filesystem::create_directories(File("shots"));
    }
    QString Label(const FOLDERDATA* node) const { return pane_->TreeLabel(node); }
    CBatchDialogBar* pane_ = nullptr;
};

// The labels, counts and questions themselves are worked out in batch_queue_test.cpp.
TEST_F(BatchPaneTest, TheQueueShowsItsCountsAndExcludeAsksItsQuestions) {
    for (const char* name : {"a.png", "UPPER.JPG", "e.gif"})
        WriteScene(File("shots") / name, 40, 30);
    FOLDERDATA* folder = pane_->AddFolderEntry(File("shots").string());
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(Label(folder), "shots (2)");
    EXPECT_EQ(pane_->StatusLine()->text(), "2 files in the queue");
    EXPECT_EQ(pane_->Model().Count(), 2);
    pane_->SetViewMode(ViewMode::kDetails);
    SaveScreenshotOf(pane_, "batch_pane");

    // One file out of the list: the folder stays with one less.
    DialogScript script;
    script.Then(Press(QMessageBox::Yes));
    pane_->IconList()->selectionModel()->select(pane_->Model().index(0, 0),
                                                QItemSelectionModel::Select);
    const std::string excluded = pane_->Model().Record(0)->path;
    pane_->ExcludeFromList();
    EXPECT_EQ(script.Texts().first().toStdString(),
              "Do you want to exclude file '" + excluded + "' from batch?");
    EXPECT_EQ(Label(folder), "shots (1)");
    EXPECT_EQ(pane_->Model().Count(), 1);

    // The folder from the tree; No keeps it, Yes takes it.
    script.Then(Press(QMessageBox::No));
    script.Then(Press(QMessageBox::Yes));
    for (int i = 0; i < 2; ++i) {
        pane_->SelectNode(pane_->Queue().Records().back().get());
        pane_->ExcludeFromTree();
    }
    EXPECT_EQ(script.Texts().size(), 3);
    EXPECT_EQ(pane_->StatusLine()->text(), "No files in the queue");
    EXPECT_TRUE(script.Done());
}

TEST_F(BatchPaneTest, RunBatchAsksTwiceWhenSourcesWouldBeReplaced) {
    WriteScene(File("shots") / "a.png", 40, 30);
    pane_->AddSingleFileEntry((File("shots") / "a.png").string());
    pane_->Settings().destination = kSameAsSource;
    pane_->Settings().suffix[0] = '\0';
    bool requested = false;
    QObject::disconnect(pane_, &CBatchDialogBar::runBatchRequested, nullptr, nullptr);
    QObject::connect(pane_, &CBatchDialogBar::runBatchRequested, [&] { requested = true; });
    DialogScript script;
    script.Then(Press(QMessageBox::Yes));
    script.Then(Press(QMessageBox::No));
    EXPECT_FALSE(pane_->RunBatch());
    EXPECT_EQ(script.Texts(),
              (QStringList{"You are about to start processing 1 images.\nDo you want to continue?",
                           "According to the batch settings the original files will be "
                           "overwitten.\nDo you what to continue?"}));
    EXPECT_FALSE(requested);
}

// Each control reaches the record; the enabling and the record's rules are worked out in
// settings_texts_test.cpp.
TEST_F(BatchPaneTest, TheSettingsDialogsControlsReachTheRecordAndOkReachesThePane) {
    CBatchSettingsDialog dialog(DefaultBatchSettings(options_.settings), presets_);
    dialog.show();
    EXPECT_FALSE(dialog.OtherLocationText()->isEnabled());  // enabled as the record opens
    dialog.FilterRadios()->button(1)->click();
    dialog.FilterList()->setCurrentIndex(3);
    dialog.FormatRadios()->button(kFormatTiff)->click();
    EXPECT_TRUE(dialog.TiffDepthList()->isEnabled());  // and as the choices change
    dialog.TiffDepthList()->setCurrentIndex(kTiffDepth24);
    dialog.FormatRadios()->button(kFormatJpeg)->click();
    dialog.QualitySlider()->setValue(77);
    EXPECT_EQ(dialog.QualityPercent()->text(), "77%");
    dialog.DestinationRadios()->button(kOtherLocation)->click();
    dialog.SetFolderChooser([](const QString&) { return QString("/srv/out"); });
    dialog.BrowseButton()->click();
    dialog.NameRadios()->button(1)->click();
    dialog.SuffixText()->setText("_nr");
    SaveScreenshotOf(&dialog, "batch_settings_dialog");
    dialog.accept();
    const BatchSettings& r = dialog.Result();
    EXPECT_EQ(std::tuple(r.filter, r.destination, r.outputFormat, r.jpegQuality, r.tiffDepth,
                         std::string(r.suffix), std::string(r.destinationPath)),
              std::tuple(3, kOtherLocation, kFormatJpeg, 77, kTiffDepth24, "_nr", "/srv/out"));

    pane_->SetSettingsEditor([&](BatchSettings& edited) {
        edited = dialog.Result();
        return true;
    });
    pane_->EditSettings();
    EXPECT_TRUE(pane_->SettingsSummary()->text().contains("Destination: /srv/out"));
    EXPECT_STREQ(LoadBatchSettings(store_, options_.settings).destinationPath, "/srv/out");
}

TEST_F(BatchPaneTest, AddToBatchFromTheBrowserAsksForSubfoldersAndOpensTheBatch) {
    for (const char* sub : {"shots/x", "shots/y"}) std::filesystem::create_directories(File(sub));
    WriteScene(File("shots/x") / "a.png", 40, 30);
    Action("browser")->trigger();
    EXPECT_FALSE(pane_->isVisible());
    ASSERT_TRUE(frame_->Browser()->NavigateTo(File("shots").string()));
    DialogScript script;
    script.Then(Press(QMessageBox::Yes));  // the subfolders too
    script.Then([](QWidget* notice) {
        for (QPushButton* button : notice->findChildren<QPushButton*>())
            if (button->text() == "Open Batch") button->click();
    });
    frame_->Browser()->AddToBatch(false);
    EXPECT_EQ(script.Titles().last(), "Image Browser");  // its text: browser_add_test.cpp
    EXPECT_EQ(std::tuple(pane_->Queue().FolderPaths().size(), pane_->QueuedImageCount(),
                         pane_->isVisible(), frame_->Browser()->isVisible()),
              std::tuple(3u, 1, true, false));
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.rightPanes, 2);
}

}  // namespace
}  // namespace stillpix::test
