// Shared by the codec tests: a scratch folder, ImageMagick's decoding, and test pictures handed
// to and read back from a codec handle.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/codec.h"
#include "tests/support/shell.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {

// A folder of its own for each test, removed afterwards.
class CodecTest : public ::testing::Test {
protected:
    std::filesystem::path File(const std::string& name) const { return folder_.Path() / name; }

    TempFolder folder_;
};

// ImageMagick's decoding of a file as top-down samples, R, G, B (or grey) order, 8 or 16 bits
// (16 bits as host-order values).
std::vector<uint16_t> MagickPixels(const std::filesystem::path& file, bool grey, int depth);

// A picture as the program holds it: top-down samples in B, G, R (or grey) order; 8-bit
// pictures keep values 0..255.
struct Picture {
    int width = 0;
    int height = 0;
    bool grey = false;
    bool sixteen = false;
    std::vector<uint16_t> samples;

    int Channels() const { return grey ? 1 : 3; }
    uint16_t At(int x, int y, int c) const {
        return samples[(std::size_t(y) * width + x) * Channels() + c];
    }
};

// Every sample distinct-ish (a hash of its place) so that swapped rows or channels show.
Picture NoisePicture(int width, int height, bool grey, bool sixteen, uint32_t seed = 1);
// Smooth ramps, for the lossy format.
Picture SmoothPicture(int width, int height, bool grey);

// Hands the picture to a fresh handle the way the document does (bitmap, grey rows, samples).
CodecHandle HandOver(const Picture& picture, bool keep16 = true);
// The handle's picture: the 16-bit samples when it has them, else the display bitmap.
Picture ReadBack(const CodecSession& h);
// Loads a file with 16-bit samples kept; ADD_FAILURE with the codec's message on failure.
CodecHandle LoadFile(const std::filesystem::path& file, bool keep16 = true);
// The picture in R, G, B order, as ImageMagick gives it.
std::vector<uint16_t> InRgbOrder(const Picture& picture);

}  // namespace stillpix::test
