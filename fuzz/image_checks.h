// What the fuzz targets do with a decoded file, as the document and the browser would: every
// pixel and block accessor, the EXIF rows and the profile's name, with their invariants checked.
#pragma once

#include <filesystem>

#include "codec/codec.h"

namespace stillpix::fuzz {

// Loads `file` as an opened image (16-bit samples kept when `keep16`) and as header-only file
// information, and checks that what loaded is whole and agrees with the header.
void OpenAndInspect(const std::filesystem::path& file, bool keep16);

// Checks a loaded handle: sizes, layouts, the bitmap block, the 16-bit samples, the blocks.
void InspectLoaded(const CodecSession& h);

}  // namespace stillpix::fuzz
