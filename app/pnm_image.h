// Binary PPM/PGM files in the buffer layouts the engine gets from the document: 8-bit images as
// the bottom-up display bitmap with rows padded to 4 bytes, 16-bit images as top-down unpadded
// little-endian samples plus their bottom-up 8-bit view (high bytes).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace stillpix::cli {

struct EngineImage {
    int width = 0;
    int height = 0;
    int channels = 0;  // 1 grey, 3 B, G, R
    bool sixteenBit = false;
    int stride8 = 0;                // bytes per display row, a multiple of 4
    std::vector<uint8_t> display;   // bottom-up, padded; the 8-bit image or the 16-bit one's view
    std::vector<uint16_t> samples;  // 16-bit images only: top-down, unpadded

    int BitsPerPixel() const { return channels * (sixteenBit ? 16 : 8); }
    int DisplayBitsPerPixel() const { return channels * 8; }
};

// P5/P6 with a maximum value up to 65535; values above 255 make a 16-bit image. Refuses
// malformed headers, truncated data and images of more than 1 gigapixel.
bool ReadPnm(const std::filesystem::path& path, EngineImage& image, std::string& error);

// Writes the 16-bit samples (16-bit images) or the display bitmap as a top-down P5/P6 file,
// through a temporary sibling so that a failure leaves any old file in place.
bool WritePnm(const std::filesystem::path& path, const EngineImage& image, std::string& error);

// Rebuilds the bottom-up 8-bit view of a 16-bit image from its samples.
void MakeDisplayView(EngineImage& image);

}  // namespace stillpix::cli
