// Canon maker notes: picture settings and ISO speed from the camera-settings and shot-information
// lists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exif/tag_directory.h"

namespace stillpix {

// A decoded setting; the text is empty when the note does not hold it or holds an unknown code.
struct CanonSetting {
    uint32_t value = 0;
    std::string text;
};

class CCanonTagDirectory : public CTagDirectory {
public:
    // `makerNoteOffset` is the note's offset by the codec's convention; Canon stores its
    // out-of-line values at offsets from the TIFF header.
    CCanonTagDirectory(CExifFormatter& parent, const ExifSource& exif, std::vector<uint8_t> note,
                       int32_t makerNoteOffset);

    // Parses the note from its start and interprets it: fills the settings, offers the ISO speed
    // to the parent and builds this directory's rows.
    void Format() override;

    const CanonSetting& Contrast() const { return contrast_; }
    const CanonSetting& Saturation() const { return saturation_; }
    const CanonSetting& Sharpness() const { return sharpness_; }
    const CanonSetting& Iso() const { return iso_; }  // value is the ISO speed, 0 for automatic
    const CanonSetting& WhiteBalance() const { return whiteBalance_; }

private:
    CanonSetting contrast_, saturation_, sharpness_, iso_, whiteBalance_;
};

}  // namespace stillpix
