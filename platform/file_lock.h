// An advisory lock between processes (flock on a lock file), so that several programs can read,
// change and rewrite one shared file in turn.
#pragma once

#include <filesystem>
#include <string>

namespace stillpix {

// Holds an exclusive flock on `lockFile` (created when missing) from construction, blocking
// while another process holds it, until destruction. The holder removes the file on release,
// so nothing is left beside the guarded file; a waiter that then finds its file gone or
// replaced locks afresh. A process that dies releases its lock with it.
class ExclusiveFileLock {
public:
    explicit ExclusiveFileLock(const std::filesystem::path& lockFile);
    ~ExclusiveFileLock();
    ExclusiveFileLock(const ExclusiveFileLock&) = delete;
    ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;

    // False when the lock file could not be made or locked (read-only folder, ...); see Error().
    bool Held() const { return fd_ >= 0; }
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    std::string error_;
};

}  // namespace stillpix
