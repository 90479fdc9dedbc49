// Run Batch in the main window: the progress window over the run, Cancel with its question, the
// summary's counts and each file's status in the pane's list afterwards.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>

#include "tests/document/document_fixture.h"
#include "ui/batch_dialog_bar.h"
#include "ui/batch_progress_dialog.h"
#include "ui_test_support.h"

namespace stillpix::test {
namespace {

class BatchRunTest : public FrameTest {
protected:
    BatchRunTest() {
        Action("batch")->trigger();
        pane_ = frame_->BatchPane();
        std::filesystem::create_directory(File("shots"));
    }
    QStringList Statuses() const {
        QStringList statuses;
        for (int row = 0; row < pane_->Model().Count(); ++row)
            statuses << QString::fromStdString(pane_->Model().Record(row)->name + " " +
                                               pane_->Model().Record(row)->statusText);
        statuses.sort();
        return statuses;
    }
    // Runs the queue; `progress` acts on the progress window. The summary's counts.
    QStringList Run(DialogScript::Step progress = nullptr) {
        DialogScript script;
        script.Then(Press(QMessageBox::Yes));  // "You are about to start processing ..."
        if (progress) {
            script.ThenProgress(std::move(progress));
            script.Then(Press(QMessageBox::Yes));  // "Do you want to terminate ...?"
        }
        QStringList counts;
        script.Then([&counts](QWidget* summary) {
            for (const char* label :
                 {"Images Processed Sucessfuly", "Images Failed", "Images Skipped"})
                counts << summary->findChild<QLabel*>(label)->text();
            Press(QMessageBox::Ok)(summary);
        });
        EXPECT_TRUE(pane_->RunBatch());
        EXPECT_TRUE(WaitFor([&] { return script.Done() && !QApplication::activeModalWidget(); }));
        EXPECT_TRUE(pane_->isEnabled());
        return counts;
    }
    std::filesystem::path Written(const std::string& name) const {
        return File("shots") / "Filtered" / (name + "_filtered.png");
    }
    CBatchDialogBar* pane_ = nullptr;
};

TEST_F(BatchRunTest, ARunWritesTheFilesAndShowsTheirStatusesAndTheSummary) {
    for (const char* name : {"a.png", "b.png", "c.png"}) WriteScene(File("shots") / name, 90, 60);
    ASSERT_NE(pane_->AddFolderEntry(File("shots").string()), nullptr);
    std::filesystem::remove(File("shots") / "b.png");  // vanished: not listed, fails when run
    pane_->RefreshList();
    EXPECT_EQ(Statuses(), (QStringList{"a.png Pending", "c.png Pending"}));
    EXPECT_EQ(Run(), (QStringList{"2", "1", "0"}));
    EXPECT_EQ(Statuses(), (QStringList{"a.png Processed", "c.png Processed"}));
    pane_->SetViewMode(ViewMode::kDetails);
    SaveScreenshotOf(pane_, "batch_pane_after_run");
    EXPECT_EQ(Identify(Written("a"), "%m %wx%h"), "PNG 90x60");
}

TEST_F(BatchRunTest, CancelAsksAndLeavesWhatWasNotWrittenPending) {
    for (const char* name : {"a.png", "b.png", "c.png"})
        WriteLargeScene(File("shots") / name, 2000, 1500);
    pane_->AddFolderEntry(File("shots").string());
    const QStringList counts = Run([](QWidget* dialog) {
        // Cancel once the first photo is under way, its texts shown.
        auto* window = static_cast<CBatchProgressDialog*>(dialog);
        auto* poll = new QTimer(window);
        QObject::connect(poll, &QTimer::timeout, window, [window, poll] {
            if (window->ImageBar()->value() == 0) return;
            poll->stop();
            SaveScreenshotOf(window, "batch_progress_window");
            // No second run while this one lasts.
            EXPECT_FALSE(
                static_cast<CMainFrame*>(window->parentWidget())->BatchPane()->isEnabled());
            EXPECT_EQ(window->Label(2)->text(), "Please wait while processing image 1 of 3");
            window->CancelButton()->click();
        });
        poll->start(5);
    });
    const auto& processed = pane_->Job().processedList;
    EXPECT_EQ(counts, (QStringList{QString::number(processed.size()), "0",
                                   QString::number(3 - processed.size())}));
    int pending = 0;
    for (const QString& status : Statuses()) pending += status.endsWith("Pending") ? 1 : 0;
    EXPECT_EQ(pending, 3 - int(processed.size()));
}

}  // namespace
}  // namespace stillpix::test
