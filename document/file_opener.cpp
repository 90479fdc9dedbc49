#include "document/file_opener.h"

#include "document/noise_cleaner_doc.h"

namespace stillpix {

OpenResult FileOpener::OpenFile(const std::filesystem::path& path) {
    if (doc_.Opening() || (doc_.HasImage() && doc_.WorkerRunning())) {
        doc_.Job().cancelRequested.store(true);
        pending_ = path;
        return OpenResult::kDeferred;
    }
    pending_.reset();
    if (doc_.OpensInBackground())
        return doc_.BeginOpenDocument(path) ? OpenResult::kDecoding : OpenResult::kFailed;
    // The open step succeeds on a file it could read even when the decode failed.
    return doc_.OnOpenDocument(path) && doc_.HasImage() ? OpenResult::kOpened : OpenResult::kFailed;
}

std::optional<OpenResult> FileOpener::OnIdle() {
    if (!pending_) return std::nullopt;
    const std::filesystem::path path = *pending_;
    return OpenFile(path);
}

}  // namespace stillpix
