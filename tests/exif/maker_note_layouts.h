// Maker notes laid out as cameras store them, for the exif and codec tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/exif/tiff_block_writer.h"

namespace stillpix::test {

// Canon: the camera-settings and shot-information lists; element 0 of each is the list's length
// in bytes.
inline Entries CanonLists(const TiffBlockWriter& w, uint16_t contrast, uint16_t saturation,
                          uint16_t sharpness, uint16_t isoCode, uint16_t whiteBalance) {
    std::vector<uint16_t> settings(25, 0), shot(10, 0);
    settings[0] = 50, settings[13] = contrast, settings[14] = saturation, settings[15] = sharpness;
    settings[16] = isoCode, shot[0] = 20, shot[7] = whiteBalance, shot[9] = 0xBEEF;
    return {w.Short(0x0001, settings), w.Short(0x0004, shot)};
}

// Nikon type 3: "Nikon", NUL, version 2.10, two zero bytes, then a TIFF header of the note's own
// at 10 whose byte order need not be the EXIF block's, and the directory at 18.
inline const std::string kNikonSignature("Nikon\0\x02\x10\0\0", 10);

inline std::vector<uint8_t> NikonNote(bool bigEndian,
                                      const std::function<Entries(const TiffBlockWriter&)>& entries,
                                      const std::string& signature = kNikonSignature) {
    TiffBlockWriter w(bigEndian);
    w.Raw(signature);
    w.TiffHeader();
    w.Directory(entries(w), 10);
    return w.Bytes();
}

}  // namespace stillpix::test
