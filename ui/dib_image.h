// The clipboard's packed device-independent bitmap (header, a palette for 8 bits, bottom-up rows
// padded to 4 bytes, B, G, R samples) to and from QImage.
#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

#include "codec/bitmap_info.h"

namespace stillpix {

// The image as a 24-bit bitmap: header and bits, rows bottom-up. False for a null image.
bool DibFromImage(const QImage& image, BitmapInfoHeader& header, std::vector<uint8_t>& bits);
// A packed bitmap of 8 (palette), 24 or 32 bits as an image; a null image when the block is
// short, compressed or of another depth.
QImage ImageFromPackedDib(const std::vector<uint8_t>& packed);

}  // namespace stillpix
