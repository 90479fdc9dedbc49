#include "tests/faults/fault_support.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace stillpix::test {

SmallDisk::SmallDisk(std::size_t bytes) : options_("size=" + std::to_string(bytes) + ",mode=0755") {
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

SmallDisk::~SmallDisk() {
    if (mounted_) ::umount2(Path().c_str(), MNT_DETACH);
}

bool SmallDisk::MakeReadOnly() {
    return mounted_ &&
           ::mount("tmpfs", Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options_.c_str()) == 0;
}

ReadOnlyFolder::ReadOnlyFolder(const std::function<void(const std::filesystem::path&)>& fill) {
    if (disk_.Mounted()) {
        path_ = disk_.Path();
        fill(path_);
        ready_ = disk_.MakeReadOnly();
        if (!ready_)
            why_ = std::string("a tmpfs cannot be made read-only here: ") + std::strerror(errno);
        return;
    }
    if (::geteuid() == 0) {
        // Root writes through permission bits, so they prove nothing.
        why_ = disk_.Why();
        return;
    }
    path_ = plain_.Path();
    fill(path_);
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        ::chmod(entry.path().c_str(), 0444);
    chmodded_ = ready_ = ::chmod(path_.c_str(), 0555) == 0;
    if (!ready_) why_ = "the folder cannot be made read-only";
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (chmodded_) ::chmod(path_.c_str(), 0755);
}

std::set<std::string> Entries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec))
        names.insert(it->path().filename().string());
    return names;
}

KillOutcome KillDuringSave(const std::function<bool()>& save, const std::filesystem::path& folder,
                           const std::set<std::string>& known, bool* childOk) {
    const pid_t child = ::fork();
    if (child < 0) return KillOutcome::kNoProcess;
    if (child == 0) ::_exit(save() ? 0 : 1);

    for (;;) {
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child) {
            if (childOk != nullptr) *childOk = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            return KillOutcome::kFinished;
        }
        for (const std::string& name : Entries(folder)) {
            std::error_code ec;
            if (known.count(name) || name.ends_with(".lock")) continue;
            if (std::filesystem::file_size(folder / name, ec) == 0 || ec) continue;
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return KillOutcome::kKilled;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace stillpix::test
