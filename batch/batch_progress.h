// The progress window's texts and bar positions, the elapsed and remaining time of a run, and
// the summary's counts.
#pragma once

#include <cstdint>
#include <string>

namespace stillpix {

enum class BatchFileStage { kBuildingProfile, kFiltering };

// Text 1: the file's name and what is being done to it.
std::string FileLabelText(const std::string& fileName, BatchFileStage stage);
// Text 2: "Please wait while processing image %d of %d".
std::string CountLabelText(int number, int total);

// "[H hr. ]M min. S sec. " for a number of milliseconds (each part followed by a blank).
std::string FormatBatchTime(int64_t milliseconds);

// The lower bar after `done` of `total` files: done x 100 / total, truncated; 0 for no files.
int OverallPosition(int64_t done, int64_t total);

// The estimate after `done` files took `elapsed` milliseconds: total x elapsed / done - elapsed,
// truncated, in 64 bits (100 files and six hours already exceed 32 bits); 0 before any file.
int64_t RemainingMilliseconds(int64_t total, int64_t elapsed, int64_t done);

struct BatchCounts {
    int64_t processed = 0;
    int64_t failed = 0;
    int64_t skipped = 0;  // neither processed nor failed: not reached, or stopped
};
BatchCounts CountBatch(int64_t total, int64_t processed, int64_t failed);

// "Batch processing has been completed in %s".
std::string BatchCompletedText(const std::string& elapsedText);

// The summary as one block of text: the completion line and the three labelled counts.
std::string BatchSummaryText(const std::string& elapsedText, const BatchCounts& counts);

}  // namespace stillpix
