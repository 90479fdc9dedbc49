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

bool LoadThumbnail(IMAGETHUMBDATA& item, int size, ExifBlock& exif) {
    CodecHandle h = cNewSession();
    if (!h || !cSet16BitComponentOptions(*h, false, false) ||
        !cLoadThumbnailEx(*h, item.path, size, size))
        return false;
    ImageInfo info;
    const uint8_t* bits = nullptr;
    const BitmapInfo* header = nullptr;
    if (!cGetImageInfo(*h, info) || !cGetBitsPtr(*h, bits) || !cGetBITMAPINFOPtr(*h, header))
        return false;
    QImage picture = ImageFromDisplayBitmap(bits, info.width, info.height, header->header.bitCount);
    if (picture.isNull()) return false;
    item.thumbnail = std::move(picture);
    item.width = info.fileWidth;
    item.height = info.fileHeight;
    cGetImageEXIF_Info(*h, exif);
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

void LoadItem(IMAGETHUMBDATA& item, int thumbnailSize, bool details) {
    std::error_code ec;
    const uintmax_t size = std::filesystem::file_size(item.path, ec);
    if (!ec) {
        item.fileSize = size;
        item.sizeText = SizeText(size);
    }
    ExifBlock exif;
    if (!details && item.thumbnailState == ThumbnailState::kNone) {
        item.thumbnailState = ThumbnailState::kFailed;
        if (LoadThumbnail(item, thumbnailSize, exif)) item.thumbnailState = ThumbnailState::kLoaded;
    } else if (details) {
        ImageFileInfo info;
        if (cGetImageFileInfoEx(item.path, info, &exif, nullptr)) {
            item.width = info.width;
            item.height = info.height;
        }
    }
    TakeExif(item, exif);
    item.infoLoaded = true;
}

}  // namespace stillpix
