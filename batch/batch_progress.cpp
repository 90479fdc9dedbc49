#include "batch/batch_progress.h"

#include "batch/batch_texts.h"
#include "batch/text_format.h"

namespace stillpix {

std::string FileLabelText(const std::string& fileName, BatchFileStage stage) {
    return fileName +
           (stage == BatchFileStage::kBuildingProfile ? kBuildingProfileTail : kFilteringTail);
}

std::string CountLabelText(int number, int total) {
    return FormatText("%s %d of %d", kProgressWait, number, total);
}

std::string FormatBatchTime(int64_t milliseconds) {
    const long long s = milliseconds / 1000, h = s / 3600, m = s / 60;
    std::string text = h > 0 ? FormatText("%lld hr. ", h) : std::string();
    return text + FormatText("%lld min. ", m - 60 * h) + FormatText("%lld sec. ", s - 60 * m);
}

int OverallPosition(int64_t done, int64_t total) {
    return total > 0 ? static_cast<int>(done * 100 / total) : 0;
}

int64_t RemainingMilliseconds(int64_t total, int64_t elapsed, int64_t done) {
    return done > 0 ? total * elapsed / done - elapsed : 0;
}

BatchCounts CountBatch(int64_t total, int64_t processed, int64_t failed) {
    return {processed, failed, total - processed - failed};
}

std::string BatchCompletedText(const std::string& elapsedText) {
    return FormatText(kBatchCompleted, elapsedText.c_str());
}

std::string BatchSummaryText(const std::string& elapsedText, const BatchCounts& counts) {
    return BatchCompletedText(elapsedText) + "\n" +
           FormatText("%s: %lld\n", kImagesProcessedLabel,
                      static_cast<long long>(counts.processed)) +
           FormatText("%s: %lld\n", kImagesFailedLabel, static_cast<long long>(counts.failed)) +
           FormatText("%s: %lld\n", kImagesSkippedLabel, static_cast<long long>(counts.skipped));
}

}  // namespace stillpix
