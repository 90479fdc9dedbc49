// Inside the codec: ICC profiles through lcms2 — their names, the built-in sRGB profile and the
// conversion of a picture's pixels from one profile into another.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/decoded_image.h"

namespace stillpix::codec {

// The profile's description (English where it has several); false for bytes lcms2 refuses.
bool ProfileName(std::span<const uint8_t> profile, std::string& name);

// sRGB IEC61966-2.1, made once by lcms2 and described by that name.
const std::vector<uint8_t>& BuiltInSrgb();

// Converts the pixels (the 16-bit samples when the image has them, else the display bitmap)
// from `source` into `target`. An empty `source` means sRGB for colour, the sRGB tone curve for
// grey. Grey pixels work with RGB profiles (as neutral colours); colour pixels need RGB ones.
bool ConvertPixels(DecodedImage& image, std::span<const uint8_t> source,
                   std::span<const uint8_t> target, std::string& error);

// CMYK rows into sRGB through the file's own CMYK profile (perceptual intent, as prints are made
// to be seen), so a CMYK JPEG opens as the colours its profile describes.
class CmykToSrgb {
public:
    CmykToSrgb() = default;
    ~CmykToSrgb();
    CmykToSrgb(const CmykToSrgb&) = delete;
    CmykToSrgb& operator=(const CmykToSrgb&) = delete;

    // False when the bytes are not a usable CMYK profile. `inverted`: the values are stored as
    // Adobe writes them (0 is full ink).
    bool Load(std::span<const uint8_t> profile, bool inverted);
    bool Ready() const { return transform_ != nullptr; }
    void Row(const uint8_t* cmyk, uint8_t* bgr, unsigned width) const;

private:
    void* transform_ = nullptr;
};

}  // namespace stillpix::codec
