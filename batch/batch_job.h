// One batch run: the files in processing order, what became of each, and where progress goes.
// The pane owns it; the worker fills the lists while the run lasts, the pane reads them after.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/batch_progress.h"
#include "settings/batch_settings.h"

namespace stillpix {

enum class ProfileSource { kNone, kLearned, kMeasured };

// What became of one file of a run.
struct BatchFileResult {
    std::string source;
    std::string output;      // the result's path by the output rules; empty when there is none
    bool processed = false;  // the result was written; false: the file failed
    ProfileSource profile = ProfileSource::kNone;  // kNone when it failed before its profile
    double seconds = 0;  // wall time from the start of the file to its end
    std::string error;   // why it failed
};

// The progress window as the worker sees it. Every call comes from the worker thread; an
// implementation hands the values to its own thread (queued signals) or prints them.
class BatchProgress {
public:
    virtual ~BatchProgress() = default;
    // 1 file label, 2 count label, 3 elapsed time, 4 remaining time; other selectors are ignored.
    virtual void SetText(int selector, const std::string& text) = 0;
    virtual void SetImagePosition(int position) = 0;    // upper bar, 0..100
    virtual void SetOverallPosition(int position) = 0;  // lower bar, 0..100
    // The run has ended (normally or stopped): the window closes itself.
    virtual void Done() = 0;
    // A file enters a stage: file `number` (from 1) of `total`, its name. Sent with text 1, so
    // that a front end follows the run without reading the label.
    virtual void FileStage(int number, int total, const std::string& fileName,
                           BatchFileStage stage) {
        (void)number;
        (void)total;
        (void)fileName;
        (void)stage;
    }
    // False once the window has been closed; texts are then no longer sent.
    virtual bool IsWindow() const { return true; }
    // A file went to the processed or the failed list.
    virtual void FileFinished(const BatchFileResult& result) { (void)result; }
    // The worker has left the run, window or not; the job's lists are final. The last call.
    virtual void RunEnded() {}
};

enum BatchProgressText : int {
    kTextFile = 1,
    kTextCount = 2,
    kTextElapsed = 3,
    kTextRemaining = 4
};

struct BatchJob {
    const BatchSettings* settings = nullptr;  // read for every file
    int32_t total = 0;                        // size of the file list
    std::vector<std::string> fileList;        // full paths in processing order
    std::vector<std::string> failedList;      // sources that failed to load or to be written
    std::vector<std::string> processedList;   // sources whose result was written
    BatchProgress* progress = nullptr;        // the progress window; none when there is no window
    std::string elapsedText;                  // after the last file that loaded

    // Run Batch: clears the lists (statuses show the latest run only) and takes the files.
    void Prepare(const BatchSettings& batchSettings, std::vector<std::string> files) {
        settings = &batchSettings;
        fileList = std::move(files);
        total = static_cast<int32_t>(fileList.size());
        failedList.clear();
        processedList.clear();
        elapsedText.clear();
    }
};

}  // namespace stillpix
