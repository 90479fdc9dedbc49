// The idle loader's work on one list item: the file's size, then either a thumbnail decoded at
// the list's size (icon views) or only the file's information block (Details), and the shooting
// data of its EXIF block.
#pragma once

#include <QImage>

#include "browser/image_thumb_data.h"

namespace stillpix {

// Fills `item` and sets its info loaded flag. Icon views (`details` false) try a thumbnail once
// when none was tried: a failure leaves the state kFailed, the type icon and "Unknown". Details
// reads the information block only and decodes no pixels.
void LoadItem(IMAGETHUMBDATA& item, int thumbnailSize, bool details);

// The codec's display bitmap (bottom-up, 8-bit grey or 24-bit B, G, R) as a 32-bit image.
QImage ImageFromDisplayBitmap(const uint8_t* bits, int width, int height, int bitCount);

}  // namespace stillpix
