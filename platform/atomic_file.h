// Replacing a file without ever leaving a half-written one under its name: write a temporary
// sibling, flush it to disk, rename it over the target.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace stillpix {

// A temporary file beside `target`, removed again unless Commit() succeeds.
class TemporarySibling {
public:
    explicit TemporarySibling(const std::filesystem::path& target);
    ~TemporarySibling();
    TemporarySibling(const TemporarySibling&) = delete;
    TemporarySibling& operator=(const TemporarySibling&) = delete;

    // False when the folder does not take a new file (missing, read-only, ...); see Error().
    bool Ok() const { return ok_; }
    const std::filesystem::path& Path() const { return temp_; }
    // Flushes the written temporary to disk and renames it over the target (keeping the
    // target's permissions when it existed). False, with the target untouched, on failure.
    bool Commit();
    const std::string& Error() const { return error_; }

private:
    std::filesystem::path target_;
    std::filesystem::path temp_;
    bool ok_ = false;
    bool committed_ = false;
    std::string error_;
};

// Writes `bytes` to `target` through a temporary sibling. False (target untouched) on failure.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                         std::string* error = nullptr);

// Test hook for fault injection: the n-th following data write or commit through this module
// (counting from 1) fails as a full disk would. 0 switches it off.
void InjectWriteFailureAfter(int writes);

}  // namespace stillpix
