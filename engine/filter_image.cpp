// Whole-image filtering as the processing worker and the batch runner use it.
#include <cstddef>

#include "engine/engine.h"
#include "engine/entry_guard.h"
#include "engine/tile_loop.h"

namespace stillpix {

namespace {

// The 8-bit view of a 16-bit result: high bytes, rows taken from the last to the first.
void WriteDisplayCopy(int width, int height, int stride8, const uint16_t* samples, int channels,
                      uint8_t* display) {
    const std::size_t rowSamples = std::size_t(width) * channels;
    for (int y = 0; y < height; ++y) {
        const uint16_t* in = samples + rowSamples * std::size_t(height - 1 - y);
        uint8_t* out = display + std::size_t(stride8) * y;
        for (std::size_t i = 0; i < rowSamples; ++i) out[i] = static_cast<uint8_t>(in[i] >> 8);
    }
}

bool FilterWholeImage(int width, int height, int stride8, const uint8_t* source8, uint8_t* dest8,
                      const uint16_t* source16, uint16_t* dest16, int bitsPerPixel, TileGrid& tiles,
                      NoiseProfile& profile, const NoiseFilterParams* params, void* callerData,
                      TileCallback tileCallback, TileBufferCallback tileBufferCallback) {
    if (profile.bandCount < 1 || params == nullptr || width <= 0 || height <= 0) return false;
    // No tiles would filter nothing and still report the image filtered.
    if (tiles.count < 1 || tiles.tiles == nullptr) return false;
    const bool sixteenBit = bitsPerPixel == 48 || bitsPerPixel == 16;
    if (!sixteenBit && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) return false;

    if (sixteenBit) {
        if ((source16 == nullptr && tileBufferCallback == nullptr) ||
            (dest16 == nullptr && tileBufferCallback == nullptr))
            return false;
        const int channels = bitsPerPixel / 16;
        if (dest8 != nullptr && stride8 < width * channels) return false;
        const std::size_t size = std::size_t(width) * height * bitsPerPixel / 8;
        RunTileLoop(tiles, width, height, reinterpret_cast<uint8_t*>(dest16),
                    reinterpret_cast<const uint8_t*>(source16), bitsPerPixel, size, params,
                    &profile, false, callerData, tileCallback, nullptr, tileBufferCallback);
        if (dest8 != nullptr && dest16 != nullptr)
            WriteDisplayCopy(width, height, stride8, dest16, channels, dest8);
        return true;
    }

    const uint8_t* source =
        source16 != nullptr ? reinterpret_cast<const uint8_t*>(source16) : source8;
    uint8_t* destination = dest16 != nullptr ? reinterpret_cast<uint8_t*>(dest16) : dest8;
    if ((source == nullptr || destination == nullptr) && tileBufferCallback == nullptr)
        return false;
    const int64_t rowBytes = int64_t{width} * (bitsPerPixel / 8);
    if (stride8 < (bitsPerPixel == 24 ? (rowBytes + 3) / 4 * 4 : rowBytes)) return false;
    RunTileLoop(tiles, width, height, destination, source, bitsPerPixel,
                std::size_t(stride8) * height, params, &profile, false, callerData, tileCallback,
                nullptr, tileBufferCallback);
    return true;
}

}  // namespace

bool FilterImage(int width, int height, int stride8, const uint8_t* source8, uint8_t* dest8,
                 const uint16_t* source16, uint16_t* dest16, int bitsPerPixel, TileGrid& tiles,
                 NoiseProfile& profile, const NoiseFilterParams* params, void* callerData,
                 TileCallback tileCallback, TileBufferCallback tileBufferCallback) {
    return FalseOnException([&] {
        return FilterWholeImage(width, height, stride8, source8, dest8, source16, dest16,
                                bitsPerPixel, tiles, profile, params, callerData, tileCallback,
                                tileBufferCallback);
    });
}

}  // namespace stillpix
