// Inside the codec: what one handle holds between its calls.
#pragma once

#include <string>
#include <vector>

#include "codec/bitmap_info.h"
#include "codec/codec.h"
#include "codec/decoded_image.h"
#include "codec/metadata.h"

namespace stillpix {

class CodecSession {
public:
    bool keep16Load = false;
    bool keep16Save = false;
    bool saveIcc = false;
    TiffCompression tiffCompression = TiffCompression::kDeflate;

    bool loaded = false;
    codec::DecodedImage image;
    std::vector<uint8_t> pixelProfile;  // the profile the pixels are in; empty for sRGB
    ExifBlock exif;
    IptcBlock iptc;
    BitmapInfo bitmapInfo;
    std::string error;
    std::string warning;  // of the last save: what it had to leave out
    // Pixels lent by the caller (cLendImage), read where they lie; `image` then holds only the
    // size and layout.
    const uint8_t* lentDisplay = nullptr;
    const uint16_t* lentSamples = nullptr;
    bool lentForLastSave = false;  // the pixels' last use: their pages may go as they are written

    codec::ImageRows Rows() const {
        codec::ImageRows rows = image.Rows();
        if (lentDisplay != nullptr) rows.display = lentDisplay, rows.samples = lentSamples;
        rows.releaseRead = lentForLastSave;
        return rows;
    }
    bool HasPixels() const { return loaded && (lentDisplay != nullptr || !image.display.empty()); }

    // Forgets the image and everything that came with it; the options stay.
    void Clear() {
        loaded = false;
        image = {};
        pixelProfile.clear();
        exif = ExifBlock();
        iptc = IptcBlock();
        bitmapInfo = {};
        saveIcc = false;
        lentDisplay = nullptr;
        lentSamples = nullptr;
        lentForLastSave = false;
    }
};

}  // namespace stillpix
