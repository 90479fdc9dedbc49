// The processing worker's routine for a batch run: the run's job carries the BatchJob, the
// document's filter and stop words; the batch runner does the rest.
#pragma once

#include "batch/batch_runner.h"
#include "document/image_worker.h"

namespace stillpix {

// Runs the batch of `run.batch` (nothing without one) with `options` (presets, profile stage,
// priority): "Use Current" takes the run's filter parameters while the document has an image,
// the profile stage the run's store, the upper bar the run's progress control; the run stops
// when the document's generation moves from `run.generation` or its cancel flag is set. At the
// end *worker running* is cleared and the run's events are told.
void RunBatchRoutine(JobRun& run, BatchRunOptions options);

// RunBatchRoutine as the worker's routine; `options.presets` must outlive the run.
WorkerRoutine BatchWorkerRoutine(const BatchRunOptions& options);

}  // namespace stillpix
