// The idle loader's work on one list item: the file's size, then either a thumbnail decoded at
// the list's size (icon views) or only the file's information block (Details), and the shooting
// data of its EXIF block.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "browser/image_thumb_data.h"
#include "codec/metadata.h"

namespace stillpix {

// What one item's file gave, read without touching the item: a thumbnail can so be decoded
// away from the window's thread and handed over whole.
struct ItemReading {
    bool sized = false;
    uint64_t fileSize = 0;
    bool thumbnailTried = false;
    QImage thumbnail;  // null when the decode failed
    bool dimensionsRead = false;
    int width = 0, height = 0;
    ExifBlock exif;
};

// What a reading decodes besides the file's size.
enum class ReadingKind { kThumbnail, kInformation, kSizeOnly };
// The item's next reading: icon views decode a thumbnail once, Details reads the information
// block.
ReadingKind NextReading(const IMAGETHUMBDATA& item, bool details);
// A thumbnail at thumbnailSize square (16-bit components off), or the information block alone.
// Safe on any thread.
ItemReading ReadItem(const std::string& path, int thumbnailSize, ReadingKind kind);
// Puts a reading into the item and sets its info loaded flag. A tried thumbnail that failed
// leaves the state kFailed, the type icon and "Unknown".
void ApplyReading(IMAGETHUMBDATA& item, const ItemReading& reading);
// Both at once, on the calling thread.
void LoadItem(IMAGETHUMBDATA& item, int thumbnailSize, bool details);

// The codec's display bitmap (bottom-up, 8-bit grey or 24-bit B, G, R) as a 32-bit image.
QImage ImageFromDisplayBitmap(const uint8_t* bits, int width, int height, int bitCount);

}  // namespace stillpix
