// Inside the codec: writing a TiffBlock back as bytes, with every offset worked out again.
// What is unchanged keeps its place in the base bytes; what changed or is new is put after them.
// Without base bytes the maker note is put back at the offset it was read from when it can be,
// so that notes counting their offsets from the TIFF header still resolve.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codec/tiff_block.h"

namespace stillpix::codec {

struct LayoutOptions {
    bool keepBase = true;
    bool thumbnail = true;
    // Without base bytes: the maker note keeps its old offset when it then ends below this.
    uint64_t pinLimit = 0;
    // A TIFF file's strips, laid after the directories; IFD0's tag 0x111 gets their offsets.
    std::vector<uint64_t> stripSizes;
};

struct LayoutResult {
    std::vector<uint8_t> bytes;  // header and directories; strips follow from `stripsAt`
    uint64_t stripsAt = 0;
    int64_t makerNoteAt = -1;
};

// False (with a message) when the block would not fit a classic TIFF's 32-bit offsets.
bool LayOut(const TiffBlock& block, const LayoutOptions& options, LayoutResult& out,
            std::string& error);

}  // namespace stillpix::codec
