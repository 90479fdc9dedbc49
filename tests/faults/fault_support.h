// The faults a save can meet, made real where the machine allows: a small file system that
// fills up, a folder that cannot be written, and a process killed in the middle of a save.
// Each reports whether it could be set up, so a test skips rather than fails without it.
#pragma once

#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_folder.h"

namespace stillpix::test {

// A tmpfs of `bytes` mounted on a scratch folder (needs root and a kernel that allows it).
class SmallDisk {
public:
    explicit SmallDisk(std::size_t bytes)
        : options_("size=" + std::to_string(bytes) + ",mode=0755") {
        if (Path().empty()) {
            why_ = "no temporary folder";
        } else if (::geteuid() != 0) {
            why_ = "mounting a small file system needs root";
        } else if (::mount("tmpfs", Path().c_str(), "tmpfs", 0, options_.c_str()) != 0) {
            why_ = std::string("tmpfs cannot be mounted here: ") + std::strerror(errno);
        } else {
            mounted_ = true;
        }
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(Path().c_str(), MNT_DETACH);
    }

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }  // why it is not mounted
    const std::filesystem::path& Path() const { return folder_.Path(); }
    // Remounts it read-only; false when that is refused.
    bool MakeReadOnly() {
        return mounted_ && ::mount("tmpfs", Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY,
                                   options_.c_str()) == 0;
    }

private:
    TempFolder folder_;
    std::string options_;
    bool mounted_ = false;
    std::string why_;
};

// A folder whose entries cannot be created, replaced or removed: a read-only tmpfs as root
// (where permissions do not stop writes), permission bits otherwise. `fill` puts the old files
// in before it becomes read-only.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::function<void(const std::filesystem::path&)>& fill) {
        if (disk_.Mounted()) {
            path_ = disk_.Path();
            fill(path_);
            ready_ = disk_.MakeReadOnly();
            if (!ready_)
                why_ =
                    std::string("a tmpfs cannot be made read-only here: ") + std::strerror(errno);
            return;
        }
        if (::geteuid() == 0) {
            why_ = disk_.Why();  // root writes through permission bits, so they prove nothing
            return;
        }
        path_ = plain_.Path();
        fill(path_);
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            ::chmod(entry.path().c_str(), 0444);
        chmodded_ = ready_ = ::chmod(path_.c_str(), 0555) == 0;
        if (!ready_) why_ = "the folder cannot be made read-only";
    }
    ~ReadOnlyFolder() {
        if (chmodded_) ::chmod(path_.c_str(), 0755);
    }
    bool Ready() const { return ready_; }
    const std::string& Why() const { return why_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    SmallDisk disk_{64u << 10};
    TempFolder plain_;
    std::filesystem::path path_;
    bool ready_ = false;
    bool chmodded_ = false;
    std::string why_;
};

enum class KillOutcome {
    kKilled,     // killed while the save was under way
    kFinished,   // the save ended before it could be caught
    kNoProcess,  // fork failed
};
// Runs `save` in a child process and kills it (SIGKILL) once a file other than `known` appears
// in `folder` and has data in it: the save's temporary.
inline KillOutcome KillDuringSave(const std::function<bool()>& save,
                                  const std::filesystem::path& folder,
                                  const std::vector<std::string>& known) {
    const pid_t child = ::fork();
    if (child < 0) return KillOutcome::kNoProcess;
    if (child == 0) ::_exit(save() ? 0 : 1);
    for (int status = 0;; std::this_thread::sleep_for(std::chrono::microseconds(200))) {
        if (::waitpid(child, &status, WNOHANG) == child) return KillOutcome::kFinished;
        for (const std::string& name : FolderNames(folder)) {
            std::error_code ec;
            if (std::ranges::find(known, name) != known.end() || name.ends_with(".lock")) continue;
            if (std::filesystem::file_size(folder / name, ec) == 0 || ec) continue;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return KillOutcome::kKilled;
        }
    }
}

}  // namespace stillpix::test
