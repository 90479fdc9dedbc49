// The tile loop: each tile's margin rectangle goes through the pyramid on its own buffer and
// its inner rectangle comes back into the destination.
#include <chrono>
#include <cstring>
#include <new>

#include "engine/engine.h"
#include "engine/pyramid_level.h"

namespace stillpix {

namespace {

// Tile buffers are page-aligned, like the page allocator would hand them out.
constexpr std::align_val_t kPageAlignment{4096};

struct TileBuffer {
    uint8_t* data = nullptr;
    explicit TileBuffer(std::size_t bytes)
        : data(static_cast<uint8_t*>(::operator new(bytes, kPageAlignment))) {}
    ~TileBuffer() { ::operator delete(data, kPageAlignment); }
    TileBuffer(const TileBuffer&) = delete;
    TileBuffer& operator=(const TileBuffer&) = delete;
};

int64_t NowMilliseconds() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SixteenBit(int bitsPerPixel) { return bitsPerPixel == 48 || bitsPerPixel == 16; }

template <class Sample>
void RunTile(uint8_t* buffer, int bytesPerPixel, const TileRecord& tile,
             const FilterContext& context, bool profiling, ProfileAccumulator* accumulator,
             NoiseProfile* profile, int tileCount) {
    PyramidLevel<Sample> level0;
    level0.bytesPerPixel = bytesPerPixel;
    level0.tileBuffer = buffer;
    level0.width = tile.margin.right - tile.margin.left;
    level0.height = tile.margin.bottom - tile.margin.top;
    level0.margin = tile.margin;
    RunPyramidLevel(level0, context, 0, profiling, accumulator, profile, tileCount);
}

}  // namespace

bool ProcessTiles(TileGrid& tiles, int width, int height, uint8_t* destination,
                  const uint8_t* source, int bitsPerPixel, std::size_t bufferSize,
                  const NoiseFilterParams* params, NoiseProfile* profile, bool profiling,
                  void* callerData, TileCallback tileCallback, ProfileAccumulator* accumulator,
                  TileBufferCallback tileBufferCallback) {
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32 &&
        bitsPerPixel != 48)
        return false;
    if (profile == nullptr || profile->bandCount < 1 || width <= 0 || height <= 0) return false;
    if (tiles.count > 0 && tiles.tiles == nullptr) return false;
    const uint8_t* input = profiling ? destination : source;
    if (input == nullptr && tileBufferCallback == nullptr) return false;
    if (profiling) {
        // Measurement exists on the 8-bit pipeline only.
        if (accumulator == nullptr || SixteenBit(bitsPerPixel)) return false;
    } else if (params == nullptr || (destination == nullptr && tileBufferCallback == nullptr)) {
        return false;
    }

    const int bytesPerPixel = bitsPerPixel / 8;
    const std::size_t stride = bitsPerPixel == 24 ? (std::size_t(width) * 3 + 3) / 4 * 4
                                                  : bufferSize / std::size_t(height);
    if (input != nullptr &&
        (stride < std::size_t(width) * bytesPerPixel || stride * height > bufferSize))
        return false;

    FilterContext context;
    BuildFilterContext(*profile, profiling ? nullptr : params, SixteenBit(bitsPerPixel), context);

    bool result = false;
    for (int index = 0; index < tiles.count; ++index) {
        TileRecord& tile = tiles.tiles[index];
        // A grid made for another image size must not send the loop outside the buffer.
        if (tile.margin.left < 0 || tile.margin.top < 0 || tile.margin.right > width ||
            tile.margin.bottom > height || tile.margin.left >= tile.margin.right ||
            tile.margin.top >= tile.margin.bottom)
            continue;
        const int64_t start = NowMilliseconds();
        ProgressRecord record{profiling ? 0 : 1, index, 0, &tiles, callerData};
        if (tileCallback != nullptr && tileCallback(record) == 0) {
            result = false;
            continue;
        }
        const int w = tile.margin.right - tile.margin.left;
        const int h = tile.margin.bottom - tile.margin.top;
        const std::size_t rowBytes = std::size_t(w) * bytesPerPixel;

        uint8_t* buffer = nullptr;
        std::unique_ptr<TileBuffer> owned;
        if (tileBufferCallback != nullptr) {
            buffer = tileBufferCallback(record);
            if (buffer == nullptr) continue;
        } else {
            owned = std::make_unique<TileBuffer>(rowBytes * h);
            buffer = owned->data;
            for (int y = 0; y < h; ++y)
                std::memcpy(buffer + rowBytes * y,
                            input + stride * (tile.margin.top + y) +
                                std::size_t(tile.margin.left) * bytesPerPixel,
                            rowBytes);
        }

        if (SixteenBit(bitsPerPixel))
            RunTile<int32_t>(buffer, bytesPerPixel, tile, context, false, nullptr, profile,
                             tiles.count);
        else
            RunTile<int16_t>(buffer, bytesPerPixel, tile, context, profiling, accumulator, profile,
                             tiles.count);
        (profiling ? tile.profiled : tile.filtered) = 1;
        tile.elapsedMs = static_cast<int32_t>(NowMilliseconds() - start);

        if (tileBufferCallback != nullptr) {
            record.stage = 1;
            tileBufferCallback(record);
        } else if (!profiling) {
            const int innerW = tile.inner.right - tile.inner.left;
            const std::size_t innerBytes = std::size_t(innerW) * bytesPerPixel;
            const std::size_t offset =
                std::size_t(tile.inner.left - tile.margin.left) * bytesPerPixel;
            for (int y = tile.inner.top; y < tile.inner.bottom; ++y)
                std::memcpy(destination + stride * y + std::size_t(tile.inner.left) * bytesPerPixel,
                            buffer + rowBytes * (y - tile.margin.top) + offset, innerBytes);
        }
        owned.reset();

        record.stage = 1;
        if (tileCallback != nullptr && tileCallback(record) == 0) return false;
        result = true;
    }
    return result;
}

}  // namespace stillpix
