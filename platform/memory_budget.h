// How much memory this process may still take: the least of what its cgroups (v2 or v1) leave
// under their limits, what its address-space limit (RLIMIT_AS) leaves, and the system's available
// memory. Work whose size is known before it starts (an image's decode, copies and filtering) is
// compared with it, so that a file too large for the machine is refused with both figures instead
// of the process being killed half-way.
#pragma once

#include <cstdint>
#include <string>

namespace stillpix {

// Bytes this process can still allocate; UINT64_MAX when nothing tells.
uint64_t AvailableMemory();

// "8.1 GiB", "312.5 MiB", "4.0 KiB", "512 bytes". Needs are shown rounded up and availability
// rounded down, so the two figures of a refusal never look equal.
std::string FormatBytes(uint64_t bytes, bool roundUp = false);
// "needs 8.1 GiB, 5.2 GiB available"
std::string MemoryRefusal(uint64_t needs, uint64_t available);

// True when `needs` fits in AvailableMemory(); otherwise false with MemoryRefusal() in `error`.
bool FitsInMemory(uint64_t needs, std::string& error);

// Test hook: AvailableMemory() reports at most `bytes` (0 switches it off).
void LimitAvailableMemoryForTesting(uint64_t bytes);

}  // namespace stillpix
