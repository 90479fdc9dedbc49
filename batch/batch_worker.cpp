#include "batch/batch_worker.h"

#include "batch/batch_job.h"
#include "batch/batch_runner.h"
#include "document/bitmap_ex.h"

namespace stillpix {

void RunBatchRoutine(JobRun& run, const PresetTable& presets, bool idlePriority) {
    ImageJob* job = run.job;
    if (run.batch && job) {
        BatchRunOptions options;
        options.presets = &presets;
        options.profiles = run.settings.store;
        options.profileOptions = run.settings.profileOptions;
        options.idlePriority = idlePriority;
        options.documentHasImage = run.image && run.image->Valid();
        options.currentParams = run.params;
        options.imageProgress = run.progress;
        const BatchStop stop{&job->generation, run.generation, &job->cancelRequested};
        if (!RunBatchJob(*run.batch, options, stop) && run.batch->progress)
            run.batch->progress->Done();
    }
    if (job) job->workerRunning.store(false);
    if (run.settings.events) run.settings.events->RunFinished();
}

WorkerRoutine BatchWorkerRoutine(const PresetTable& presets, bool idlePriority) {
    return [&presets, idlePriority](JobRun& run) { RunBatchRoutine(run, presets, idlePriority); };
}

}  // namespace stillpix
