// A batch run for a window: the pane's job started on the document's processing worker, the
// close and cancel rules, and BatchProgressDialogModel, the progress window as data (what the
// worker tells the window, handed to the window's thread, and the summary's counts).
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "batch/batch_job.h"
#include "batch/batch_runner.h"
#include "document/noise_cleaner_doc.h"

namespace stillpix {

enum class BatchRunStart { kStarted, kWaiting, kFailed };

// Starts `job` on the document's worker: the job becomes the document's batch, *cancel
// requested* is cleared and *full run* set (the document's own stop requests are then ignored),
// `imageBar` is the run's upper bar, `window` the job's progress window, and the worker runs
// with `options` (idle priority included). While an image is being opened or another run is on
// the worker nothing starts (kWaiting): a preview run is asked to stop, an open and a profile
// run finish; try again later. kFailed when no thread can be started.
BatchRunStart StartBatchRun(CNoiseCleanerDoc& doc, BatchJob& job, BatchProgress& window,
                            ProgressControl& imageBar, const BatchRunOptions& options);

// The progress window has closed (the run's end, or Cancel): *full run* is cleared, then the
// generation raised, so a worker still running stops at its next test and records nothing
// more. The document forgets the batch.
void EndBatchRun(CNoiseCleanerDoc& doc);

// "Batch Progress Window" as data. The worker calls the BatchProgress side from its thread;
// each call posts its value through `post` (ProgressTextMessage, ProgressDoneMessage), which
// runs it later on the window's thread: the model takes the value there and tells the window.
// Only the upper bar is shared, as an atomic the window polls. The window's thread never waits
// for the worker.
class BatchProgressDialogModel final : public BatchProgress {
public:
    using Post = std::function<void(std::function<void()>)>;
    explicit BatchProgressDialogModel(Post post) : post_(std::move(post)) {}

    // --- the worker's side ---
    void SetText(int selector, const std::string& text) override;
    void SetImagePosition(int position) override { imageBar_.SetPosition(position); }
    void SetOverallPosition(int position) override;
    void Done() override;
    bool IsWindow() const override { return shown_.load(); }
    void RunEnded() override;

    // --- the window's side ---
    // The window opens for `job`: "File", "Please wait while processing image", two blanks,
    // both bars at 0. `doc` and `job` outlive the run.
    void Open(CNoiseCleanerDoc& doc, BatchJob& job, const BatchRunOptions& options);
    enum class Step { kWait, kRunning, kEnd };
    // The window's timer: starts the run once the document's worker is free. kEnd when it
    // cannot start: the window closes.
    Step Tick();
    // The window has closed, however: nothing more is shown and the run stops (EndBatchRun).
    void Close();
    // After Close, once the worker has left the run: the job's lists are final. Runs
    // `onFinished` once.
    bool Finished() const { return finished_; }
    // The summary: the elapsed text ("0 min. 0 sec. " when no file loaded) and the counts.
    std::string ElapsedText() const;
    BatchCounts Counts() const;

    // 1 file, 2 count, 3 elapsed, 4 remaining; anything else is empty.
    std::string Text(int selector) const;
    int ImagePosition() const { return imageBar_.Position(); }
    int OverallPosition() const { return overall_; }

    // Set by the window, run on its thread: a text (1..4) or the lower bar (0) changed; the run
    // has ended (the window closes itself); the run is over and the lists are final.
    std::function<void(int selector)> onText;
    std::function<void()> onDone;
    std::function<void()> onFinished;

private:
    void MaybeFinish();

    Post post_;
    CNoiseCleanerDoc* doc_ = nullptr;
    BatchJob* job_ = nullptr;
    BatchRunOptions options_;
    // Window thread only.
    bool started_ = false;
    bool closed_ = false;
    bool ended_ = false;
    bool finished_ = false;
    std::string texts_[4];
    int overall_ = 0;

    std::atomic<bool> shown_{false};
    AtomicProgress imageBar_;
};

}  // namespace stillpix
