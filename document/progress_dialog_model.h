// The rules of the progress dialog ("Progress Window"): a bar from 0 to 100, a text line and
// Cancel, driven by the window's 50-ms timer. It chains the profile run and the full run of
// the document's job; the dialog only shows what this model says.
#pragma once

#include <string>

#include "document/image_job.h"

namespace stillpix {

class CNoiseCleanerDoc;

class ProgressDialogModel {
public:
    enum class Step {
        kWait,       // keep the dialog open
        kEndOk,      // every tile is filtered (and a save, if any, has run)
        kEndFailed,  // a run ended without progress: close, not OK
    };

    explicit ProgressDialogModel(CNoiseCleanerDoc& doc);

    // One timer tick: starts the next run when the worker is idle, or says how to end.
    Step Tick();

    const std::string& Text() const { return text_; }
    bool CancelEnabled() const { return cancelEnabled_; }
    AtomicProgress& Bar() { return bar_; }
    // The dialog ended because a run could not go on (kEndFailed).
    bool Failed() const { return failed_; }

    // Cancel (only while CancelEnabled()): clears the save path; the dialog then closes.
    void Cancel();
    // The dialog has closed, however: clears *full run* and restarts the preview countdown.
    void Closed();

private:
    Step End(Step step);

    CNoiseCleanerDoc& doc_;
    AtomicProgress& bar_;
    std::string text_;
    bool cancelEnabled_ = false;
    bool profileRunStarted_ = false;
    bool processingStarted_ = false;
    bool failed_ = false;
    int filteredAtStart_ = 0;
    int saveRetries_ = 0;
};

// Runs the dialog without a window: ticks, waiting for each run instead of a timer.
bool RunProgressDialogHeadless(ProgressDialogModel& model, CNoiseCleanerDoc& doc);

}  // namespace stillpix
