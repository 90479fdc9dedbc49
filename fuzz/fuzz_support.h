// Shared by the fuzz targets: the input cap, a scratch folder on a memory-backed file system for
// the readers that take a path, and a check that stops the run when an invariant breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace stillpix::fuzz {

// Photographs are larger, but every header, table and chunk path is reached well below this,
// and the readers' size checks scale with the real file size, so a small input stays fast.
constexpr std::size_t kMaxInputBytes = 64 * 1024;

// This process's own scratch folder (under /dev/shm when it exists), removed at exit.
const std::filesystem::path& ScratchFolder();

// Writes `bytes` to `name` in the scratch folder and returns its path.
std::filesystem::path WriteScratch(const std::string& name, std::span<const uint8_t> bytes);

std::vector<uint8_t> ReadWhole(const std::filesystem::path& file);

// Aborts the run (a finding) when `condition` is false; the fuzzer keeps the input.
void Require(bool condition, const char* what);

}  // namespace stillpix::fuzz
