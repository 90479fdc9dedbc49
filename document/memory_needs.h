// What opening, filtering and saving one image takes in memory, worked out from its header before
// anything is decoded: the decode, the image's working and unprocessed copies, the copy a save
// hands to the codec, and the engine's per-thread tile buffers.
#pragma once

#include <cstdint>
#include <string>

namespace stillpix {

struct ImageFileInfo;

// Bytes the whole operation on the file's image may hold at its peak; `keep16` when 16-bit
// samples are kept, `unprocessedCopy` when the untouched copy is made.
uint64_t MemoryToProcess(const ImageFileInfo& info, bool keep16, bool unprocessedCopy);

// True when the operation fits in the memory this process may still take; otherwise false with
// "<W> x <H> image: needs 8.1 GiB, 5.2 GiB available" in `error`.
bool ImageFitsInMemory(const ImageFileInfo& info, bool keep16, bool unprocessedCopy,
                       std::string& error);

}  // namespace stillpix
