#include "document/file_opener.h"

#include "document/noise_cleaner_doc.h"

namespace stillpix {

bool FileOpener::OpenFile(const std::filesystem::path& path) {
    if (doc_.HasImage() && doc_.WorkerRunning()) {
        doc_.Job().cancelRequested.store(true);
        pending_ = path;
        return false;
    }
    pending_.reset();
    return doc_.OnOpenDocument(path);
}

void FileOpener::OnIdle() {
    if (!pending_) return;
    const std::filesystem::path path = *pending_;
    OpenFile(path);
}

}  // namespace stillpix
