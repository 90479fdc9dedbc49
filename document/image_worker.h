// The processing worker: one thread at a time runs one JobRun. A new run first joins the last
// thread; a run is stopped only through the job's generation counter and cancel flag.
#pragma once

#include <functional>
#include <thread>

#include "document/image_job.h"

namespace stillpix {

// The single-image run (profile, preview or full run, then the save of a full run with a save
// path), as the document starts it. Clears *worker running*, the countdown and *profile job* at
// its end, and *full run* unless it was a profile run; then tells `run.settings.events`.
void RunImageJob(JobRun& run);

// A run's routine: RunImageJob, or the batch runner's loop for a run whose job has a batch.
using WorkerRoutine = std::function<void(JobRun& run)>;

class ProcessingWorker {
public:
    ProcessingWorker() = default;
    ~ProcessingWorker();  // joins
    ProcessingWorker(const ProcessingWorker&) = delete;
    ProcessingWorker& operator=(const ProcessingWorker&) = delete;

    // Joins the previous thread, then starts `routine(run)` on a new one. The caller has set
    // the job's *worker running* before; the routine clears it. False (and *worker running*
    // cleared) when no thread can be started.
    bool Start(JobRun run, WorkerRoutine routine);
    // Waits for the current thread, if any.
    void Join();

private:
    std::thread thread_;
};

}  // namespace stillpix
