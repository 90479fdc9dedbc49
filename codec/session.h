// Inside the codec: what one handle holds between its calls.
#pragma once

#include <string>
#include <vector>

#include "codec/bitmap_info.h"
#include "codec/decoded_image.h"
#include "codec/metadata.h"

namespace stillpix {

class CodecSession {
public:
    bool keep16Load = false;
    bool keep16Save = false;
    bool saveIcc = false;

    bool loaded = false;
    codec::DecodedImage image;
    std::vector<uint8_t> pixelProfile;  // the profile the pixels are in; empty for sRGB
    ExifBlock exif;
    IptcBlock iptc;
    BitmapInfo bitmapInfo;
    std::string error;
    std::string warning;  // of the last save: what it had to leave out

    // Forgets the image and everything that came with it; the options stay.
    void Clear() {
        loaded = false;
        image = {};
        pixelProfile.clear();
        exif = ExifBlock();
        iptc = IptcBlock();
        bitmapInfo = {};
        saveIcc = false;
    }
};

}  // namespace stillpix
