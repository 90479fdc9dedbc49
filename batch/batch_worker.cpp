#include "batch/batch_worker.h"

#include "batch/batch_job.h"
#include "document/bitmap_ex.h"

namespace stillpix {

void RunBatchRoutine(JobRun& run, BatchRunOptions options) {
    ImageJob* job = run.job;
    if (run.batch && job) {
        options.profiles = run.settings.store;
        options.documentHasImage = run.image && run.image->Valid();
        options.currentParams = run.params;
        options.imageProgress = run.progress;
        const BatchStop stop{&job->generation, run.generation, &job->cancelRequested};
        BatchProgress* progress = run.batch->progress;
        if (!RunBatchJob(*run.batch, options, stop) && progress) progress->Done();
        if (progress) progress->RunEnded();
    }
    if (job) job->workerRunning.store(false);
    if (run.settings.events) run.settings.events->RunFinished();
}

WorkerRoutine BatchWorkerRoutine(const BatchRunOptions& options) {
    return [options](JobRun& run) { RunBatchRoutine(run, options); };
}

}  // namespace stillpix
