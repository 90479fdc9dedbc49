// The application's one way to open a file by path (File Open, the command line, a dropped
// file, the panes): while the document's worker runs, the path waits as the pending open path
// and the run is asked to stop; the next idle pass opens it.
#pragma once

#include <filesystem>
#include <optional>

namespace stillpix {

class CNoiseCleanerDoc;

class FileOpener {
public:
    explicit FileOpener(CNoiseCleanerDoc& doc) : doc_(doc) {}

    // Opens `path` now, or, while a worker runs on an image, sets *cancel requested* and keeps
    // the path pending. True when the open step ran and succeeded.
    bool OpenFile(const std::filesystem::path& path);
    // At start-up: the command line's path waits for the first idle pass.
    void SetPending(const std::filesystem::path& path) { pending_ = path; }
    // Every idle pass (after the idle status text): opens the pending path, if any.
    void OnIdle();
    const std::optional<std::filesystem::path>& Pending() const { return pending_; }

private:
    CNoiseCleanerDoc& doc_;
    std::optional<std::filesystem::path> pending_;
};

}  // namespace stillpix
