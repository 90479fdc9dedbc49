// The faults a save can meet, made real where the machine allows: a small file system that
// fills up, a folder that cannot be written, and a process killed in the middle of a save.
// Each reports whether it could be set up, so a test skips rather than fails without it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace stillpix::test {

// A tmpfs of `bytes` mounted on a scratch folder (needs root and a kernel that allows it).
class SmallDisk {
public:
    explicit SmallDisk(std::size_t bytes);
    ~SmallDisk();
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Why() const { return why_; }  // why it is not mounted
    const std::filesystem::path& Path() const { return folder_.Path(); }
    // Remounts it read-only; false when that is refused.
    bool MakeReadOnly();

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
    explicit ReadOnlyFolder(const std::function<void(const std::filesystem::path&)>& fill);
    ~ReadOnlyFolder();
    bool Ready() const { return ready_; }
    const std::string& Why() const { return why_; }
    const std::filesystem::path& Path() const { return path_; }

private:
    SmallDisk disk_{16u << 20};
    TempFolder plain_;
    std::filesystem::path path_;
    bool ready_ = false;
    bool chmodded_ = false;
    std::string why_;
};

// The names in a folder (not recursive).
std::set<std::string> Entries(const std::filesystem::path& folder);

enum class KillOutcome {
    kKilled,     // killed while the save was under way
    kFinished,   // the save ended before it could be caught
    kNoProcess,  // fork failed
};
// Runs `save` in a child process and kills it (SIGKILL) once a file other than `known` appears
// in `folder` and has data in it: the save's temporary. A child that ends first reports its
// result as its exit status; `childOk` gets it.
KillOutcome KillDuringSave(const std::function<bool()>& save, const std::filesystem::path& folder,
                           const std::set<std::string>& known, bool* childOk = nullptr);

}  // namespace stillpix::test
