// Nikon maker notes of type 3: the ISO speed. The note carries its own header and TIFF header,
// and its offsets count from that inner TIFF header.
#pragma once

#include <cstdint>
#include <vector>

#include "exif/tag_directory.h"

namespace stillpix {

class CNikon3TagDirectory : public CTagDirectory {
public:
    CNikon3TagDirectory(CExifFormatter& parent, const ExifSource& exif, std::vector<uint8_t> note);

    // Parses the note's directory and offers its ISO speed to the parent; no rows. A note without
    // the type 3 header ("Nikon", NUL, version 2.x) is of another layout and is not read.
    void Format() override;
};

}  // namespace stillpix
