// The clipboard's packed bitmap to and from QImage: row order, sample order, palettes, and
// blocks that must be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "ui/dib_image.h"

namespace stillpix {
namespace {

std::vector<uint8_t> Packed(const BitmapInfoHeader& header, const std::vector<uint8_t>& rest) {
    std::vector<uint8_t> packed(sizeof header + rest.size());
    std::memcpy(packed.data(), &header, sizeof header);
    std::copy(rest.begin(), rest.end(), packed.begin() + sizeof header);
    return packed;
}

TEST(DibImage, RoundTripKeepsEveryPixelAndStoresTheBottomRowFirst) {
    QImage image(5, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(x * 50, y * 100, 7));
    BitmapInfoHeader header;
    std::vector<uint8_t> bits;
    ASSERT_TRUE(DibFromImage(image, header, bits));
    EXPECT_EQ(std::tuple(header.bitCount, header.height), std::tuple(24, 3));
    ASSERT_EQ(bits.size(), 16u * 3);  // 15 bytes padded to 16
    // The first stored row is the picture's last: B, G, R of pixel (1, 2).
    EXPECT_EQ(std::vector(bits.begin() + 3, bits.begin() + 6), (std::vector<uint8_t>{7, 200, 50}));
    const QImage back = ImageFromPackedDib(Packed(header, bits));
    ASSERT_EQ(back.size(), image.size());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(back.pixel(x, y), image.pixel(x, y)) << x << y;
}

TEST(DibImage, ReadsGreyPalettesAndTopDownRows) {
    BitmapInfoHeader header;
    header.width = 2, header.height = -2, header.bitCount = 8, header.clrUsed = 256;  // top-down
    std::vector<uint8_t> rest;
    for (int i = 0; i < 256; ++i) rest.insert(rest.end(), {uint8_t(i), uint8_t(i), uint8_t(i), 0});
    rest.insert(rest.end(), {10, 20, 0, 0, 30, 40, 0, 0});
    const QImage image = ImageFromPackedDib(Packed(header, rest));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(qGray(image.pixel(1, 0)), 20);
    EXPECT_EQ(qGray(image.pixel(0, 1)), 30);
}

TEST(DibImage, RefusesShortCompressedAndOddBlocks) {
    BitmapInfoHeader header;
    header.width = 4, header.height = 4, header.bitCount = 24;
    EXPECT_TRUE(ImageFromPackedDib(Packed(header, std::vector<uint8_t>(47))).isNull());
    EXPECT_FALSE(ImageFromPackedDib(Packed(header, std::vector<uint8_t>(48))).isNull());
    header.compression = 1;
    EXPECT_TRUE(ImageFromPackedDib(Packed(header, std::vector<uint8_t>(48))).isNull());
    header.compression = 0, header.bitCount = 16;
    EXPECT_TRUE(ImageFromPackedDib(Packed(header, std::vector<uint8_t>(48))).isNull());
    header.bitCount = 24, header.width = 1 << 30;
    EXPECT_TRUE(ImageFromPackedDib(Packed(header, std::vector<uint8_t>(48))).isNull());
    EXPECT_TRUE(ImageFromPackedDib({1, 2, 3}).isNull());
}

}  // namespace
}  // namespace stillpix
