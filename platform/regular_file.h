// Opening a file the program reads as an image or a record: only a regular file (after its
// symbolic links) is taken, and opening never waits, so a FIFO, a device or a folder named like a
// photo is refused at once with the reason instead of blocking or being read for ever.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace stillpix {

// An open descriptor on a regular file (blocking reads), or -1 with the reason in `error`
// ("<file>: not a regular file (a FIFO)", "<file>: No such file or directory").
int OpenRegularFile(const std::filesystem::path& file, std::string& error);
// The same check without keeping the file open; `size` gets its size in bytes.
bool CheckRegularFile(const std::filesystem::path& file, std::string& error,
                      uint64_t* size = nullptr);

// The whole file, when it is a regular file of at most `maxBytes` bytes; otherwise false with the
// reason, and nothing is read.
bool ReadRegularFile(const std::filesystem::path& file, uint64_t maxBytes,
                     std::vector<uint8_t>& out, std::string& error);

}  // namespace stillpix
