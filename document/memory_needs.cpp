#include "document/memory_needs.h"

#include "codec/bitmap_info.h"
#include "codec/codec.h"
#include "engine/engine.h"
#include "platform/memory_budget.h"

namespace stillpix {
namespace {

// One engine thread's tiles with their margins, planes and pyramid levels, its stack and its
// allocator arena (which counts against an address-space limit), measured on 16-bit tiles.
constexpr uint64_t kEngineBytesPerThread = uint64_t{96} << 20;
// The libraries and the rest of the program beside the image.
constexpr uint64_t kBaseBytes = uint64_t{64} << 20;

}  // namespace

uint64_t MemoryToProcess(const ImageFileInfo& info, bool keep16, bool unprocessedCopy) {
    const uint64_t width = static_cast<uint64_t>(info.width > 0 ? info.width : 0);
    const uint64_t height = static_cast<uint64_t>(info.height > 0 ? info.height : 0);
    const int channels = info.grey ? 1 : 3;
    const uint64_t display = BitmapStride(static_cast<int>(width), 8 * channels) * height;
    const bool sixteen = keep16 && info.bitsPerPixel >= 16 * channels;
    const uint64_t samples = sixteen ? width * height * channels * 2 : 0;
    // The image and its unprocessed copy: the codec's decode is taken over, not copied, and a
    // save lends the image to the codec. The largest buffer a writer adds is the JPEG encoder's
    // coefficients, two bytes a sample, held whole for its optimised Huffman tables.
    const uint64_t copies = unprocessedCopy ? 2 : 1;
    const uint64_t coefficients = width * height * channels * 2;
    const uint64_t save = copies * (display + samples) + coefficients;
    const uint64_t engine = kEngineBytesPerThread * static_cast<uint64_t>(EngineThreads());
    return save + engine + kBaseBytes;
}

bool ImageFitsInMemory(const ImageFileInfo& info, bool keep16, bool unprocessedCopy,
                       std::string& error) {
    if (FitsInMemory(MemoryToProcess(info, keep16, unprocessedCopy), error)) return true;
    error = std::to_string(info.width) + " x " + std::to_string(info.height) + " image: " + error;
    return false;
}

}  // namespace stillpix
