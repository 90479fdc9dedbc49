// The device-independent bitmap header the codec hands out and takes in: a bottom-up picture
// whose rows are padded to 4 bytes, samples in B, G, R order or one 8-bit grey sample.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace stillpix {

struct BitmapInfoHeader {
    uint32_t size = 40;  // of this header
    int32_t width = 0;
    int32_t height = 0;  // positive: rows stored bottom-up
    uint16_t planes = 1;
    uint16_t bitCount = 0;     // 8 (grey, with the palette below), 24 or 32
    uint32_t compression = 0;  // uncompressed
    uint32_t sizeImage = 0;    // stride x height
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;  // 256 for 8 bits
    uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, bitCount) == 14);

struct RgbQuad {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
};
static_assert(sizeof(RgbQuad) == 4);

// The header followed by the palette; for 8 bits the palette is the grey ramp 0..255.
struct BitmapInfo {
    BitmapInfoHeader header;
    std::array<RgbQuad, 256> colors{};
};
static_assert(sizeof(BitmapInfo) == 40 + 256 * 4);

// Bytes of one display row: bytes per pixel x width rounded up to a multiple of 4.
constexpr std::size_t BitmapStride(int width, int bitCount) {
    return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount / 8) + 3) &
           ~std::size_t{3};
}

}  // namespace stillpix
