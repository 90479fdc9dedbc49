// The application's one way to open a file by path (File Open, the command line, a dropped
// file, the panes): while the document's worker runs, the path waits as the pending open path
// and the run is asked to stop; the next idle pass opens it.
#pragma once

#include <filesystem>
#include <optional>

namespace stillpix {

class CNoiseCleanerDoc;

// What became of a request to open a path.
enum class OpenResult {
    kOpened,    // the image is loaded
    kDecoding,  // a background open has begun: the document's OpenDecoded notice ends it
    kDeferred,  // a run or a decode is under way: the path waits for the next idle pass
    kFailed,    // nothing was opened; the document has shown why
};

class FileOpener {
public:
    explicit FileOpener(CNoiseCleanerDoc& doc) : doc_(doc) {}

    // Opens `path` now (or begins to, when the document decodes in the background), or, while a
    // worker runs on an image or an image decodes, sets *cancel requested* and keeps the path
    // pending.
    OpenResult OpenFile(const std::filesystem::path& path);
    // At start-up: the command line's path waits for the first idle pass.
    void SetPending(const std::filesystem::path& path) { pending_ = path; }
    // The user refused to give up the open document: the pending path is dropped.
    void ClearPending() { pending_.reset(); }
    // Every idle pass (after the idle status text): opens the pending path, if any; nullopt when
    // none was pending.
    std::optional<OpenResult> OnIdle();
    const std::optional<std::filesystem::path>& Pending() const { return pending_; }

private:
    CNoiseCleanerDoc& doc_;
    std::optional<std::filesystem::path> pending_;
};

}  // namespace stillpix
