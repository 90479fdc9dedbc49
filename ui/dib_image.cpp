#include "ui/dib_image.h"

#include <cstring>

namespace stillpix {

bool DibFromImage(const QImage& image, BitmapInfoHeader& header, std::vector<uint8_t>& bits) {
    if (image.isNull()) return false;
    const QImage rgb = image.convertToFormat(QImage::Format_BGR888);
    const int width = rgb.width();
    const int height = rgb.height();
    const std::size_t stride = BitmapStride(width, 24);
    header = BitmapInfoHeader{};
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    header.sizeImage = uint32_t(stride * height);
    bits.assign(stride * height, 0);
    for (int y = 0; y < height; ++y)
        std::memcpy(bits.data() + stride * (height - 1 - y), rgb.constScanLine(y),
                    std::size_t(width) * 3);
    return true;
}

QImage ImageFromPackedDib(const std::vector<uint8_t>& packed) {
    BitmapInfoHeader header;
    if (packed.size() < sizeof header) return {};
    std::memcpy(&header, packed.data(), sizeof header);
    const int bitCount = header.bitCount;
    if ((bitCount != 8 && bitCount != 24 && bitCount != 32) || header.compression != 0 ||
        header.width <= 0 || header.height == 0 || header.size < sizeof header)
        return {};
    const bool topDown = header.height < 0;
    const int64_t rows = topDown ? -int64_t{header.height} : header.height;
    const std::size_t colours = bitCount == 8 ? (header.clrUsed ? header.clrUsed : 256) : 0;
    if (colours > 256) return {};
    const std::size_t stride = BitmapStride(header.width, bitCount);
    const std::size_t offset = header.size + colours * sizeof(RgbQuad);
    if (rows > (int64_t(1) << 30) || packed.size() < offset ||
        (packed.size() - offset) / stride < std::size_t(rows))
        return {};
    QImage::Format format = bitCount == 8    ? QImage::Format_Indexed8
                            : bitCount == 24 ? QImage::Format_BGR888
                                             : QImage::Format_RGB32;
    QImage image(header.width, int(rows), format);
    if (image.isNull()) return {};
    if (bitCount == 8) {
        QList<QRgb> table;
        for (std::size_t i = 0; i < colours; ++i) {
            const uint8_t* q = packed.data() + header.size + i * sizeof(RgbQuad);
            table.push_back(qRgb(q[2], q[1], q[0]));
        }
        image.setColorTable(table);
    }
    const std::size_t rowBytes = std::size_t(header.width) * (bitCount / 8);
    for (int y = 0; y < int(rows); ++y) {
        const int from = topDown ? y : int(rows) - 1 - y;
        // RGB32 is 0xffRRGGBB in memory order B, G, R, x on little-endian machines, as a DIB.
        std::memcpy(image.scanLine(y), packed.data() + offset + stride * from, rowBytes);
    }
    if (bitCount == 32) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) line[x] |= 0xff000000u;
        }
    }
    return image;
}

}  // namespace stillpix
