// Inside the codec: one decoded picture in the two layouts the program uses, the size limits
// every reader checks before it allocates, and the reduction used for thumbnails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace stillpix::codec {

// Above these a file is refused before any pixel buffer is made: no photograph comes near them,
// while a hostile header can declare anything.
constexpr int64_t kMaxSide = int64_t{1} << 20;
constexpr int64_t kMaxPixels = int64_t{1} << 30;
// Even the best compression of a flat picture stays far below this many pixels a file byte
// (deflate and LZW peak near a thousand), so a header claiming more is lying.
constexpr int64_t kMaxPixelsPerFileByte = 4096;

// A picture's rows, read only, wherever its buffers live: what the writers read.
struct ImageRows {
    int width = 0;
    int height = 0;
    bool grey = false;
    bool has16 = false;
    const uint8_t* display = nullptr;   // bottom-up, rows padded to 4 bytes
    const uint16_t* samples = nullptr;  // top-down, unpadded; null without 16-bit samples
    // Nobody reads the rows after this save (cLendImageForLastSave): a writer that holds a
    // full-size buffer of its own gives the pages of the rows it has read back to the system.
    bool releaseRead = false;

    int Channels() const { return grey ? 1 : 3; }
    std::size_t Stride() const;
    const uint8_t* DisplayRow(int y) const {
        return display + static_cast<std::size_t>(height - 1 - y) * Stride();
    }
    const uint16_t* SampleRow(int y) const {
        return samples + static_cast<std::size_t>(y) * width * Channels();
    }
};

struct DecodedImage {
    int width = 0;
    int height = 0;
    bool grey = false;
    bool has16 = false;             // `samples` holds the file's 16-bit samples
    std::vector<uint8_t> display;   // bottom-up, rows padded to 4 bytes
    std::vector<uint16_t> samples;  // top-down, unpadded, B, G, R or grey
    std::vector<uint8_t> icc;       // embedded profile, empty when none
    int fileWidth = 0;              // before a thumbnail's reduction
    int fileHeight = 0;

    int Channels() const { return grey ? 1 : 3; }
    int BitsPerPixel() const { return (has16 ? 16 : 8) * Channels(); }
    std::size_t Stride() const;
    // Rows counted from the top.
    uint8_t* DisplayRow(int y) {
        return display.data() + static_cast<std::size_t>(height - 1 - y) * Stride();
    }
    const uint8_t* DisplayRow(int y) const {
        return display.data() + static_cast<std::size_t>(height - 1 - y) * Stride();
    }
    uint16_t* SampleRow(int y) {
        return samples.data() + static_cast<std::size_t>(y) * width * Channels();
    }
    const uint16_t* SampleRow(int y) const {
        return samples.data() + static_cast<std::size_t>(y) * width * Channels();
    }

    ImageRows Rows() const {
        return {width, height, grey, has16, display.data(), has16 ? samples.data() : nullptr};
    }

    // A picture's size and layout without its buffers, as a file's header gives them.
    static DecodedImage Header(int w, int h, bool isGrey, bool sixteen) {
        DecodedImage image;
        image.width = image.fileWidth = w;
        image.height = image.fileHeight = h;
        image.grey = isGrey;
        image.has16 = sixteen;
        return image;
    }

    // Sizes the buffers (zeroed) for a width x height picture; false with a message when the size
    // is refused or memory runs out.
    bool Allocate(int w, int h, bool isGrey, bool with16, std::string& error);
    // Fills display row y from sample row y: the high byte of each sample.
    void DisplayFromSamples(int y);
    void DisplayFromSamples();
};

// False with a message when a width x height picture is beyond the limits or could not come out
// of a file of `fileSize` bytes, at most `pixelsPerByte` pixels a byte.
bool CheckImageSize(int64_t width, int64_t height, uint64_t fileSize, std::string& error,
                    int64_t pixelsPerByte = kMaxPixelsPerFileByte);

// Bytes of a picture's buffers: the display bitmap and, `with16`, the 16-bit samples.
uint64_t PixelBytes(int64_t width, int64_t height, bool grey, bool with16);

// While one lives, DecodedImage::Allocate on this thread refuses buffers above `bytes`, with
// both figures in its message: a thumbnail or a load is held to what it may take before any
// reader allocates.
class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(uint64_t bytes);
    ~ScopedAllocationLimit();
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;

private:
    uint64_t previous_;
};

// Shrinks the picture by area averaging until it fits maxWidth x maxHeight, keeping its aspect;
// the 16-bit samples are dropped. A picture that fits already is left as it is.
bool ReduceToFit(DecodedImage& image, int maxWidth, int maxHeight, std::string& error);

// Puts a colour over white by its opacity, as the picture looks on a page; `alpha` and the
// result in 0..maxValue. Colour values already multiplied by alpha are taken when `premultiplied`.
inline uint32_t OverWhite(uint32_t colour, uint32_t alpha, uint32_t maxValue, bool premultiplied) {
    if (alpha >= maxValue) return colour;
    const uint32_t white = maxValue - alpha;
    if (premultiplied) return colour + white > maxValue ? maxValue : colour + white;
    const uint64_t sum = uint64_t{colour} * alpha + uint64_t{maxValue} * white + maxValue / 2;
    return static_cast<uint32_t>(sum / maxValue);
}

// A palette or colour table that is all grey lets an indexed picture stay one channel.
struct PaletteEntry {
    uint8_t red = 0, green = 0, blue = 0;
};
bool PaletteIsGrey(const std::vector<PaletteEntry>& palette);

}  // namespace stillpix::codec
