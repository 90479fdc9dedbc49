// The batch runner: loads every queued file in turn, gives it a noise profile (learned or
// measured, learning while the options say so), filters the whole image, writes it by the
// output rules and records it as processed or failed. It runs on the processing worker.
#pragma once

#include <atomic>
#include <cstdint>

#include "batch/batch_job.h"
#include "codec/codec.h"
#include "document/image_job.h"
#include "engine/noise_filter_params.h"
#include "settings/image_profile_choice.h"
#include "settings/persisted_settings.h"
#include "settings/preset_table.h"
#include "settings/profile_store.h"

namespace stillpix {

struct BatchRunOptions {
    const PresetTable* presets = nullptr;
    LearnedProfileStore* profiles = nullptr;
    // "Enable Profile Self-Learning", the batch learning and the skip-when-sufficient options.
    ProfileChoiceOptions profileOptions;
    bool idlePriority = false;                                    // batch process priority "Low"
    TiffCompression tiffCompression = TiffCompression::kDeflate;  // the option of that name
    bool documentHasImage = false;      // "Use Current" takes currentParams, else filter 0
    NoiseFilterParams currentParams{};  // the document's filter as the run started
    // The upper bar; without one it goes to the job's BatchProgress.
    ProgressControl* imageProgress = nullptr;
};

// What a batch run takes from the stored options, for the command line and the window alike:
// the profile stage of a batch image ("Enable Profile Self-Learning", learning while the batch
// runs, no build when the learned profile suffices) and idle priority for the batch priority
// "Low" (any value above 0).
void ApplyStoredBatchOptions(const AppOptions& options, BatchRunOptions& run);

// The stop words a run watches: a generation that must keep its starting value and a cancel
// flag, both written by another thread.
struct BatchStop {
    const std::atomic<uint32_t>* generation = nullptr;
    uint32_t startGeneration = 0;
    const std::atomic<bool>* cancel = nullptr;

    bool Requested() const {
        return (generation && generation->load(std::memory_order_relaxed) != startGeneration) ||
               (cancel && cancel->load(std::memory_order_relaxed));
    }
};

// Runs `job` on the calling thread (at idle priority while it lasts when asked). Stops between
// files and between tiles on a stop request; the file in hand and all later files then stay
// out of both lists. Returns false only when the job or the options are unusable (no settings,
// presets or profile store), with nothing done.
bool RunBatchJob(BatchJob& job, const BatchRunOptions& options, const BatchStop& stop);

}  // namespace stillpix
