#include "codec/decoded_image.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "codec/bitmap_info.h"
#include "platform/memory_budget.h"

namespace stillpix::codec {
namespace {

thread_local uint64_t allocationLimit = UINT64_MAX;

}  // namespace

ScopedAllocationLimit::ScopedAllocationLimit(uint64_t bytes) : previous_(allocationLimit) {
    allocationLimit = std::min(bytes, previous_);
}

ScopedAllocationLimit::~ScopedAllocationLimit() { allocationLimit = previous_; }

uint64_t PixelBytes(int64_t width, int64_t height, bool grey, bool with16) {
    const uint64_t channels = grey ? 1 : 3;
    const uint64_t display = BitmapStride(static_cast<int>(width), 8 * static_cast<int>(channels));
    return (display + (with16 ? uint64_t(width) * channels * 2 : 0)) * uint64_t(height);
}

std::size_t DecodedImage::Stride() const { return BitmapStride(width, 8 * Channels()); }

std::size_t ImageRows::Stride() const { return BitmapStride(width, 8 * Channels()); }

bool DecodedImage::Allocate(int w, int h, bool isGrey, bool with16, std::string& error) {
    if (!CheckImageSize(w, h, UINT64_MAX, error)) return false;
    if (const uint64_t needs = PixelBytes(w, h, isGrey, with16); needs > allocationLimit) {
        error = "the " + std::to_string(w) + " x " + std::to_string(h) + " image " +
                MemoryRefusal(needs, allocationLimit);
        return false;
    }
    width = w;
    height = h;
    grey = isGrey;
    has16 = with16;
    try {
        display.assign(Stride() * static_cast<std::size_t>(h), 0);
        samples.assign(with16 ? static_cast<std::size_t>(w) * h * Channels() : 0, 0);
    } catch (const std::bad_alloc&) {
        display = {};
        samples = {};
        error =
            "not enough memory for a " + std::to_string(w) + " x " + std::to_string(h) + " image";
        return false;
    }
    return true;
}

void DecodedImage::DisplayFromSamples(int y) {
    const uint16_t* in = SampleRow(y);
    uint8_t* out = DisplayRow(y);
    const std::size_t n = static_cast<std::size_t>(width) * Channels();
    for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(in[i] >> 8);
}

void DecodedImage::DisplayFromSamples() {
    for (int y = 0; y < height; ++y) DisplayFromSamples(y);
}

bool CheckImageSize(int64_t width, int64_t height, uint64_t fileSize, std::string& error,
                    int64_t pixelsPerByte) {
    if (width <= 0 || height <= 0) {
        error = "the image has no pixels";
        return false;
    }
    if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels) {
        error = "the image size " + std::to_string(width) + " x " + std::to_string(height) +
                " is too large";
        return false;
    }
    const uint64_t pixels = static_cast<uint64_t>(width * height);
    if (fileSize != UINT64_MAX && pixels / static_cast<uint64_t>(pixelsPerByte) > fileSize) {
        error = "the file is too short for its declared size of " + std::to_string(width) + " x " +
                std::to_string(height);
        return false;
    }
    return true;
}

bool ReduceToFit(DecodedImage& image, int maxWidth, int maxHeight, std::string& error) {
    if (maxWidth <= 0 || maxHeight <= 0) {
        error = "the thumbnail size must be positive";
        return false;
    }
    image.samples = {};
    image.has16 = false;
    if (image.width <= maxWidth && image.height <= maxHeight) return true;
    // The larger reduction of the two sides decides, so the whole picture fits.
    const double scale = std::min(double(maxWidth) / image.width, double(maxHeight) / image.height);
    const int w = std::clamp(static_cast<int>(std::lround(image.width * scale)), 1, maxWidth);
    const int h = std::clamp(static_cast<int>(std::lround(image.height * scale)), 1, maxHeight);

    DecodedImage out;
    if (!out.Allocate(w, h, image.grey, false, error)) return false;
    const int channels = image.Channels();
    std::vector<uint64_t> sums(static_cast<std::size_t>(w) * channels);
    for (int y = 0; y < h; ++y) {
        const int y0 = static_cast<int>(int64_t{y} * image.height / h);
        const int y1 = std::max(y0 + 1, static_cast<int>(int64_t{y + 1} * image.height / h));
        std::fill(sums.begin(), sums.end(), 0);
        for (int sy = y0; sy < y1; ++sy) {
            const uint8_t* row = image.DisplayRow(sy);
            for (int x = 0; x < w; ++x) {
                const int x0 = static_cast<int>(int64_t{x} * image.width / w);
                const int x1 = std::max(x0 + 1, static_cast<int>(int64_t{x + 1} * image.width / w));
                for (int sx = x0; sx < x1; ++sx)
                    for (int c = 0; c < channels; ++c)
                        sums[x * channels + c] += row[sx * channels + c];
            }
        }
        uint8_t* target = out.DisplayRow(y);
        for (int x = 0; x < w; ++x) {
            const int x0 = static_cast<int>(int64_t{x} * image.width / w);
            const int x1 = std::max(x0 + 1, static_cast<int>(int64_t{x + 1} * image.width / w));
            const uint64_t area = uint64_t(x1 - x0) * uint64_t(y1 - y0);
            for (int c = 0; c < channels; ++c)
                target[x * channels + c] =
                    static_cast<uint8_t>((sums[x * channels + c] + area / 2) / area);
        }
    }
    out.icc = std::move(image.icc);
    out.fileWidth = image.fileWidth;
    out.fileHeight = image.fileHeight;
    image = std::move(out);
    return true;
}

bool PaletteIsGrey(const std::vector<PaletteEntry>& palette) {
    return std::all_of(palette.begin(), palette.end(),
                       [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; });
}

}  // namespace stillpix::codec
