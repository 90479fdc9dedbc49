// The one way this program replaces a file: the new contents go to a temporary sibling, are
// flushed to disk and only then take the target's place, so no half-written file is ever left
// under its name. The target is the file a symbolic link points to (the link stays), a target
// its user cannot write is refused, and the target keeps its mode and, where the process may
// set them, its owner and group. A file with other hard links is overwritten in place from the
// complete temporary, so every name keeps seeing it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace stillpix {

// A temporary file beside the target, removed again unless Commit() succeeds. Creating one also
// removes this program's leftover temporaries in that folder: those of saves that were killed
// before this process started (their names carry kTemporaryMark, and no live save holds them).
class TemporarySibling {
public:
    explicit TemporarySibling(const std::filesystem::path& target);
    ~TemporarySibling();
    TemporarySibling(const TemporarySibling&) = delete;
    TemporarySibling& operator=(const TemporarySibling&) = delete;

    // False when the target may not be replaced (not writable by this user, not a regular file)
    // or its folder does not take a new file; see Error().
    bool Ok() const { return ok_; }
    // The temporary to write, by name: it may be opened, truncated and rewritten freely.
    const std::filesystem::path& Path() const { return temp_; }
    // The file that Commit() replaces: the target with its symbolic links followed.
    const std::filesystem::path& File() const { return file_; }
    // Flushes the temporary and puts it in the target's place. False, with the target as it
    // was, on failure.
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    bool Replace();
    bool OverwriteInPlace(int tempFd);

    std::filesystem::path file_;
    std::filesystem::path temp_;
    int lockFd_ = -1;       // open on the temporary and locked while this object lives
    unsigned newMode_ = 0;  // a new file's mode, as the folder's umask or ACL gave it
    bool ok_ = false;
    bool committed_ = false;
    std::string error_;
};

// Part of every temporary's name: "." + target name + kTemporaryMark + six letters or digits.
inline constexpr char kTemporaryMark[] = ".stillpix-";

// Writes `bytes` to `target` through a temporary sibling. False (target untouched) on failure.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                         std::string* error = nullptr);

// Test hook for fault injection: the n-th following data write or commit through this module
// (counting from 1) fails as a full disk would. 0 switches it off.
void InjectWriteFailureAfter(int writes);

}  // namespace stillpix
