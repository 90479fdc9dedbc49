#include "batch/batch_run.h"

#include "batch/batch_texts.h"
#include "batch/batch_worker.h"

namespace stillpix {

BatchRunStart StartBatchRun(CNoiseCleanerDoc& doc, BatchJob& job, BatchProgress& window,
                            ProgressControl& imageBar, const BatchRunOptions& options) {
    ImageJob& image = doc.Job();
    // An image that arrives during the run would reset its tiles and so stop the run.
    if (doc.Opening()) return BatchRunStart::kWaiting;
    if (image.workerRunning.load()) {
        // One run at a time. A preview is cheap to redo; a new image's profile is not.
        if (!image.profileJob.load()) doc.StopPendingWork();
        return BatchRunStart::kWaiting;
    }
    image.batch = &job;
    image.progress = &imageBar;
    image.cancelRequested.store(false);
    image.fullRun.store(true);
    job.progress = &window;
    if (doc.StartRun(BatchWorkerRoutine(options))) return BatchRunStart::kStarted;
    image.fullRun.store(false);
    image.batch = nullptr;
    image.progress = nullptr;
    job.progress = nullptr;
    return BatchRunStart::kFailed;
}

void EndBatchRun(CNoiseCleanerDoc& doc) {
    ImageJob& image = doc.Job();
    image.fullRun.store(false);
    image.generation.fetch_add(1);
    image.batch = nullptr;
    image.progress = nullptr;
}

void BatchProgressDialogModel::SetText(int selector, const std::string& text) {
    if (selector < kTextFile || selector > kTextRemaining || !shown_.load()) return;
    // Each message carries its text, so the window shows every one, in order.
    post_([this, selector, text] {
        if (!shown_.load()) return;
        texts_[selector - 1] = text;
        if (onText) onText(selector);
    });
}

void BatchProgressDialogModel::SetOverallPosition(int position) {
    position = position < 0 ? 0 : position > 100 ? 100 : position;
    post_([this, position] {
        if (!shown_.load()) return;
        overall_ = position;
        if (onText) onText(0);
    });
}

void BatchProgressDialogModel::Done() {
    post_([this] {
        if (!shown_.load()) return;
        overall_ = 100;
        if (onDone) onDone();
    });
}

void BatchProgressDialogModel::RunEnded() {
    post_([this] {
        ended_ = true;
        MaybeFinish();
    });
}

void BatchProgressDialogModel::Open(CNoiseCleanerDoc& doc, BatchJob& job,
                                    const BatchRunOptions& options) {
    doc_ = &doc;
    job_ = &job;
    options_ = options;
    started_ = closed_ = ended_ = finished_ = false;
    texts_[0] = kProgressFileLabel;
    texts_[1] = kProgressWait;
    texts_[2].clear();
    texts_[3].clear();
    overall_ = 0;
    imageBar_.SetPosition(0);
    shown_.store(true);
}

BatchProgressDialogModel::Step BatchProgressDialogModel::Tick() {
    if (started_) return Step::kRunning;
    if (!shown_.load() || !doc_) return Step::kEnd;
    switch (StartBatchRun(*doc_, *job_, *this, imageBar_, options_)) {
        case BatchRunStart::kStarted: started_ = true; return Step::kRunning;
        case BatchRunStart::kWaiting: return Step::kWait;
        case BatchRunStart::kFailed: break;
    }
    return Step::kEnd;
}

void BatchProgressDialogModel::Close() {
    if (closed_ || !doc_) return;
    shown_.store(false);
    closed_ = true;
    EndBatchRun(*doc_);
    MaybeFinish();
}

void BatchProgressDialogModel::MaybeFinish() {
    // Until the worker has left, it may still record the file in hand.
    if (finished_ || !closed_ || (started_ && !ended_)) return;
    finished_ = true;
    job_->progress = nullptr;
    if (onFinished) onFinished();
}

std::string BatchProgressDialogModel::ElapsedText() const {
    return job_ && !job_->elapsedText.empty() ? job_->elapsedText : FormatBatchTime(0);
}

BatchCounts BatchProgressDialogModel::Counts() const {
    if (!job_) return {};
    return CountBatch(job_->total, static_cast<int64_t>(job_->processedList.size()),
                      static_cast<int64_t>(job_->failedList.size()));
}

std::string BatchProgressDialogModel::Text(int selector) const {
    if (selector < kTextFile || selector > kTextRemaining) return {};
    return texts_[selector - 1];
}

}  // namespace stillpix
