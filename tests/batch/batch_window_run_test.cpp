// A batch run for a window, without a screen: the progress window's model over the document's
// worker, its notices handled on this thread as the window's thread would; the stored options
// that reach a run.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <thread>

#include "batch/batch_queue.h"
#include "batch/batch_run.h"
#include "platform/qsettings_store.h"
#include "tests/document/document_fixture.h"
#include "tests/support/batch_record.h"

namespace stillpix {
namespace {

namespace fs = std::filesystem;

class NoWindow final : public DocumentWindow {
public:
    bool RunProgressDialog(ProgressDialogModel&) override { return false; }
};

// The window's thread: what the worker posts waits here until Pump runs it.
class PostedQueue {
public:
    BatchProgressDialogModel::Post Poster() {
        return [this](std::function<void()> task) {
            const std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
            posted_.notify_one();
        };
    }
    // Runs posted notices until `done` holds; false after a minute.
    bool Pump(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        while (!done()) {
            std::unique_lock lock(mutex_);
            if (!posted_.wait_until(lock, limit, [this] { return !tasks_.empty(); })) return false;
            std::function<void()> task = std::move(tasks_.front());
            tasks_.pop_front();
            lock.unlock();
            task();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
};

class WindowRun : public ::testing::Test {
protected:
    WindowRun() {
        const fs::path dir = folder_.Path();
        for (const char* name : {"a.png", "c.png", "d.png"}) test::WriteScene(dir / name, 160, 120);
        test::WriteScene(dir / "wide.jpg", 1900, 1300);  // nine tiles
        settings_ = test::BatchRecord({kSubfolder, "F", "", kFormatKeep, 85, 0, kTiffDepth48});
        options_.settings2.selfLearning = 0;
        BuildPresetTable(store_, presets_);
        runOptions_.presets = &presets_;
        ApplyStoredBatchOptions(options_, runOptions_);
        model_.onText = [this](int selector) {
            if (selector == 0) overall_.push_back(model_.OverallPosition());
            else shown_[selector - 1].push_back(model_.Text(selector));
        };
        model_.onDone = [this] { done_ = true; };
    }
    std::string Src(const char* name) const { return (folder_.Path() / name).string(); }
    void Start(const std::vector<std::string>& files) {
        job_.Prepare(settings_, files);
        model_.Open(doc_, job_, runOptions_);
        ASSERT_EQ(model_.Tick(), BatchProgressDialogModel::Step::kRunning);
        EXPECT_TRUE(doc_.Job().fullRun.load());
    }
    std::vector<std::string> Statuses() const {
        std::vector<std::string> statuses;
        for (const std::string& file : job_.fileList)
            statuses.push_back(FileStatusText(StatusOf(file, job_.processedList, job_.failedList)));
        return statuses;
    }

    test::TempFolder folder_;
    QSettingsStore store_{folder_.Path() / "settings.conf"};
    AppOptions options_;
    PresetTable presets_;
    LearnedProfileStore profiles_{folder_.Path() / "profiles"};
    NoWindow window_;
    BatchSettings settings_;
    BatchRunOptions runOptions_;
    BatchJob job_;
    PostedQueue queue_;
    BatchProgressDialogModel model_{queue_.Poster()};
    std::vector<std::string> shown_[4];
    std::vector<int> overall_;
    bool done_ = false;
    // Last, so that its worker has stopped before the rest goes.
    CNoiseCleanerDoc doc_{DocumentContext{&options_, &store_, &profiles_, nullptr}, window_};
};

TEST_F(WindowRun, ShowsEveryTextAndEndsWithTheCountsAndStatuses) {
    EXPECT_EQ(model_.Text(1), "");
    Start({Src("a.png"), Src("missing.png"), Src("c.png")});
    EXPECT_EQ(model_.Text(1), "File");
    EXPECT_EQ(model_.Text(2), "Please wait while processing image");
    ASSERT_TRUE(queue_.Pump([&] { return done_; }));
    model_.Close();
    ASSERT_TRUE(queue_.Pump([&] { return model_.Finished(); }));

    EXPECT_EQ(shown_[0], (std::vector<std::string>{
                             "a.png - Building noise profile", "a.png - Filtering noise",
                             "c.png - Building noise profile", "c.png - Filtering noise"}));
    EXPECT_EQ(shown_[1], (std::vector<std::string>{"Please wait while processing image 1 of 3",
                                                   "Please wait while processing image 3 of 3"}));
    EXPECT_EQ(overall_, (std::vector<int>{33, 100}));  // the missing file moves nothing
    ASSERT_EQ(shown_[3].size(), 2u);
    EXPECT_EQ(shown_[3].back(), "0 min. 0 sec. ");  // nothing remains after the last file
    EXPECT_EQ(model_.ElapsedText(), shown_[2].back());
    const BatchCounts counts = model_.Counts();
    EXPECT_EQ(std::tuple(counts.processed, counts.failed, counts.skipped), std::tuple(2, 1, 0));
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Processed", "Failed", "Processed"}));
    // The document is free for its own runs again.
    EXPECT_FALSE(doc_.Job().fullRun.load());
    EXPECT_EQ(doc_.Job().batch, nullptr);
    EXPECT_EQ(job_.progress, nullptr);
}

TEST_F(WindowRun, CancelKeepsFinishedResultsWholeAndLeavesTheRestPending) {
    Start({Src("a.png"), Src("wide.jpg"), Src("c.png"), Src("d.png")});
    // "Cancel", answered Yes, while the large photo is being filtered.
    ASSERT_TRUE(queue_.Pump(
        [&] { return !shown_[0].empty() && shown_[0].back() == "wide.jpg - Filtering noise"; }));
    model_.Close();
    ASSERT_TRUE(queue_.Pump([&] { return model_.Finished(); }));
    EXPECT_FALSE(done_);  // a closed window is told nothing more
    EXPECT_EQ(Statuses(), (std::vector<std::string>{"Processed", "Pending", "Pending", "Pending"}));
    EXPECT_EQ(model_.Counts().skipped, 3);  // what was written: batch_runner_test.cpp
}

class OpenEvents final : public JobEvents {
public:
    void OpenDecoded() override { decoded = true; }
    std::atomic<bool> decoded{false};
};

// An image that arrived during the run would reset its tiles, which stops the run.
TEST_F(WindowRun, StartsOnlyOnceAnOpenUnderWayHasEnded) {
    OpenEvents events;
    CNoiseCleanerDoc doc(DocumentContext{&options_, &store_, &profiles_, &events, true}, window_);
    ASSERT_TRUE(doc.BeginOpenDocument(Src("a.png")));
    job_.Prepare(settings_, {Src("c.png")});
    model_.Open(doc, job_, runOptions_);
    EXPECT_EQ(model_.Tick(), BatchProgressDialogModel::Step::kWait);
    for (int i = 0; i < 1000 && !events.decoded; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(doc.FinishOpen());
    EXPECT_EQ(model_.Tick(), BatchProgressDialogModel::Step::kRunning);
    ASSERT_TRUE(queue_.Pump([&] { return done_; }));
    model_.Close();
    ASSERT_TRUE(queue_.Pump([&] { return model_.Finished(); }));
    EXPECT_EQ(job_.processedList, std::vector<std::string>{Src("c.png")});
}

TEST(StoredBatchOptions, ReachTheRunAsTheOptionsSay) {
    AppOptions stored;
    for (const int on : {0, 1}) {
        stored.settings2.selfLearning = stored.settings2.batchSkipBuildWhenLearned = on;
        stored.settings2.learnWhileBatch = 1 - on;
        stored.settings3.batchPriority = on;  // "Low", "Normal"
        BatchRunOptions run;
        ApplyStoredBatchOptions(stored, run);
        const ProfileChoiceOptions& p = run.profileOptions;
        EXPECT_EQ(std::tuple(p.kind, p.selfLearning, p.learnWhileBatch, p.skipBuildWhenSufficient,
                             run.idlePriority),
                  std::tuple(ProfileRunKind::kBatchImage, on == 1, on == 0, on == 1, on == 1));
    }
}

}  // namespace
}  // namespace stillpix
