#include "document/progress_dialog_model.h"

#include "document/document_texts.h"
#include "document/noise_cleaner_doc.h"

namespace stillpix {

ProgressDialogModel::ProgressDialogModel(CNoiseCleanerDoc& doc)
    : doc_(doc), bar_(doc.dialogProgress_) {
    bar_.SetPosition(0);
    bar_.SetVisible(true);
}

ProgressDialogModel::Step ProgressDialogModel::End(Step step) {
    failed_ = step == Step::kEndFailed;
    return step;
}

ProgressDialogModel::Step ProgressDialogModel::Tick() {
    ImageJob& job = doc_.job_;
    if (job.workerRunning.load()) {
        if (job.profileJob.load()) cancelEnabled_ = true;
        return Step::kWait;
    }
    if (!job.profileBuilt.load()) {
        // A profile run that ended without a profile (stopped, or nothing measurable) would
        // only be started again and again.
        if (profileRunStarted_) return End(Step::kEndFailed);
        profileRunStarted_ = true;
        bar_.SetPosition(0);
        job.profileJob.store(true);
        job.fullRun.store(true);
        job.progress = &bar_;
        text_ = kProgressBuildingProfile;
        return doc_.StartRun() ? Step::kWait : End(Step::kEndFailed);
    }
    if (processingStarted_ && !job.fullRun.load()) {
        const bool saveDone = job.savePath.empty() || job.saveOutcome.load() != SaveOutcome::kNone;
        if (doc_.UnfilteredTiles() == 0 && saveDone) return End(Step::kEndOk);
        // A run stopped by a stale generation goes on with the rest; one that got nowhere ends.
        if (doc_.FilteredTiles() == filteredAtStart_ && doc_.UnfilteredTiles() > 0)
            return End(Step::kEndFailed);
        if (doc_.UnfilteredTiles() == 0 && !saveDone && ++saveRetries_ > 1)
            return End(Step::kEndFailed);
    }
    cancelEnabled_ = true;
    bar_.SetPosition(0);
    job.profileJob.store(false);
    job.visible = {};
    if (job.resetTilesFirst.exchange(false)) doc_.MarkAllTilesUnprocessed();
    job.fullRun.store(true);
    job.progress = &bar_;
    text_ = kProgressProcessing;
    processingStarted_ = true;
    filteredAtStart_ = doc_.FilteredTiles();
    return doc_.StartRun() ? Step::kWait : End(Step::kEndFailed);
}

void ProgressDialogModel::Cancel() {
    if (!cancelEnabled_) return;
    doc_.job_.savePath.clear();
}

void ProgressDialogModel::Closed() {
    doc_.job_.fullRun.store(false);
    doc_.RestartCountdown();
}

bool RunProgressDialogHeadless(ProgressDialogModel& model, CNoiseCleanerDoc& doc) {
    for (;;) {
        const ProgressDialogModel::Step step = model.Tick();
        if (step != ProgressDialogModel::Step::kWait)
            return step == ProgressDialogModel::Step::kEndOk;
        doc.WaitForWorker();
    }
}

}  // namespace stillpix
