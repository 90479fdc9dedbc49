#include "browser/thumbnail_loader.h"

#include <filesystem>

#include "codec/codec.h"
#include "exif/exif_formatter.h"

namespace stillpix {

namespace {

void TakeExif(IMAGETHUMBDATA& item, const ExifBlock& exif) {
    if (exif.Empty()) return;
    CExifFormatter formatter;
    formatter.Set(exif, item.width, item.height);
    const ExifTexts& texts = formatter.Texts();
    if (!texts.make.empty()) item.make = texts.make;
    if (!texts.model.empty()) item.model = texts.model;
    if (!texts.isoSpeed.empty()) {
        item.isoText = texts.isoSpeed;
        item.isoValue = formatter.IsoSpeed();
    }
    if (!texts.dateCreated.empty()) item.dateText = texts.dateCreated;
}

bool LoadThumbnail(const std::string& path, int size, ItemReading& out) {
    CodecHandle h = cNewSession();
    if (!h || !cSet16BitComponentOptions(*h, false, false) ||
        !cLoadThumbnailEx(*h, path, size, size))
        return false;
    ImageInfo info;
    const uint8_t* bits = nullptr;
    const BitmapInfo* header = nullptr;
    if (!cGetImageInfo(*h, info) || !cGetBitsPtr(*h, bits) || !cGetBITMAPINFOPtr(*h, header))
        return false;
    QImage picture = ImageFromDisplayBitmap(bits, info.width, info.height, header->header.bitCount);
    if (picture.isNull()) return false;
    out.thumbnail = std::move(picture);
    out.dimensionsRead = true;
    out.width = info.fileWidth;
    out.height = info.fileHeight;
    cGetImageEXIF_Info(*h, out.exif);
    return true;
}

}  // namespace

QImage ImageFromDisplayBitmap(const uint8_t* bits, int width, int height, int bitCount) {
    if (!bits || width <= 0 || height <= 0 || (bitCount != 8 && bitCount != 24)) return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    const std::size_t stride = BitmapStride(width, bitCount);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = bits + stride * std::size_t(height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = bitCount == 8 ? qRgb(row[x], row[x], row[x])
                                   : qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
    return image;
}

ReadingKind NextReading(const IMAGETHUMBDATA& item, bool details) {
    if (details) return ReadingKind::kInformation;
    return item.thumbnailState == ThumbnailState::kNone ? ReadingKind::kThumbnail
                                                        : ReadingKind::kSizeOnly;
}

ItemReading ReadItem(const std::string& path, int thumbnailSize, ReadingKind kind) {
    ItemReading reading;
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec) {
        reading.sized = true;
        reading.fileSize = size;
    }
    if (kind == ReadingKind::kThumbnail) {
        reading.thumbnailTried = true;
        LoadThumbnail(path, thumbnailSize, reading);  // fills the reading only when it succeeds
    } else if (kind == ReadingKind::kInformation) {
        ImageFileInfo info;
        if (cGetImageFileInfoEx(path, info, &reading.exif, nullptr)) {
            reading.dimensionsRead = true;
            reading.width = info.width;
            reading.height = info.height;
        }
    }
    return reading;
}

void ApplyReading(IMAGETHUMBDATA& item, const ItemReading& reading) {
    if (reading.sized) {
        item.fileSize = reading.fileSize;
        item.sizeText = SizeText(reading.fileSize);
    }
    if (reading.thumbnailTried) {
        item.thumbnailState =
            reading.thumbnail.isNull() ? ThumbnailState::kFailed : ThumbnailState::kLoaded;
        item.thumbnail = reading.thumbnail;
    }
    if (reading.dimensionsRead) {
        item.width = reading.width;
        item.height = reading.height;
    }
    TakeExif(item, reading.exif);
    item.infoLoaded = true;
}

void LoadItem(IMAGETHUMBDATA& item, int thumbnailSize, bool details) {
    ApplyReading(item, ReadItem(item.path, thumbnailSize, NextReading(item, details)));
}

}  // namespace stillpix
