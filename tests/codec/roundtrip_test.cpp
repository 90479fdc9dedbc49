// Pictures handed over, saved, read back by the codec and by ImageMagick: every written format and
// depth, with widths that need row padding.
#include <cmath>
#include <cstdlib>

#include "tests/codec/codec_test_support.h"

namespace stillpix::test {
namespace {

struct RoundTripCase {
    const char* name;
    int code;  // save code
    const char* suffix;
    bool grey;
    bool sixteen;
};

class RoundTrip : public CodecTest, public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(RoundTrip, LosslessFormatsGiveTheSamplesBack) {
    const RoundTripCase& c = GetParam();
    const Picture picture = NoisePicture(37, 23, c.grey, c.sixteen, 7);
    CodecHandle h = HandOver(picture);
    const auto file = File(std::string("out") + c.suffix);
    ASSERT_TRUE(cSave(*h, file, c.code)) << cGetLastError(*h);

    CodecHandle back = LoadFile(file);
    ImageInfo info;
    ASSERT_TRUE(cGetImageInfo(*back, info));
    EXPECT_EQ(info.bitsPerPixel, (c.sixteen ? 16 : 8) * (c.grey ? 1 : 3));
    EXPECT_EQ(info.grey, c.grey);
    const Picture read = ReadBack(*back);
    EXPECT_EQ(read.width, 37);
    EXPECT_EQ(read.height, 23);
    EXPECT_EQ(read.samples, picture.samples);
    // Someone else's decoder sees the same samples in the same channel order.
    EXPECT_EQ(MagickPixels(file, c.grey, c.sixteen ? 16 : 8), InRgbOrder(picture));
    if (!c.sixteen) return;

    // The display bitmap of a 16-bit image is the high byte, bottom-up in padded rows.
    const uint8_t* bits = nullptr;
    const BitmapInfo* bitmap = nullptr;
    ASSERT_TRUE(cGetBitsPtr(*back, bits));
    ASSERT_TRUE(cGetBITMAPINFOPtr(*back, bitmap));
    EXPECT_EQ(bitmap->header.bitCount, c.grey ? 8 : 24);
    const std::size_t stride = BitmapStride(37, bitmap->header.bitCount),
                      row = 37 * picture.Channels();
    EXPECT_EQ(bitmap->header.sizeImage, stride * 23);
    for (int y = 0; y < 23; ++y)
        for (std::size_t i = 0; i < row; ++i)
            ASSERT_EQ(bits[(22 - y) * stride + i], picture.samples[y * row + i] >> 8)
                << "row " << y << " sample " << i;
    // Without 16-bit components the same file loads as its 8-bit reduction.
    const Picture eight = ReadBack(*LoadFile(file, false));
    ASSERT_FALSE(eight.sixteen);
    for (std::size_t i = 0; i < eight.samples.size(); ++i)
        ASSERT_EQ(eight.samples[i], picture.samples[i] >> 8);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, ::testing::Values(
    RoundTripCase{"Tiff24", kSaveCodeTiff, ".tif", false, false}, RoundTripCase{"Tiff8Grey", kSaveCodeTiff, ".tif", true, false},
    RoundTripCase{"Png24", kSaveCodePng, ".png", false, false},   RoundTripCase{"Png8Grey", kSaveCodePng, ".png", true, false},
    RoundTripCase{"Tiff48", kSaveCodeTiff, ".tif", false, true},  RoundTripCase{"Tiff16Grey", kSaveCodeTiff, ".tif", true, true},
    RoundTripCase{"Png48", kSaveCodePng, ".png", false, true},    RoundTripCase{"Png16Grey", kSaveCodePng, ".png", true, true}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

double MeanError(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    if (a.size() != b.size() || a.empty()) return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / a.size();
}

using JpegRoundTrip = CodecTest;

TEST_F(JpegRoundTrip, ColourAndGreyComeBackCloseAtHighQuality) {
    for (bool grey : {false, true}) {
        const Picture picture = SmoothPicture(50, 30, grey);
        CodecHandle h = HandOver(picture);
        const auto file = File(grey ? "grey.jpg" : "colour.jpg");
        ASSERT_TRUE(cSave(*h, file, 95)) << cGetLastError(*h);
        const Picture read = ReadBack(*LoadFile(file));
        EXPECT_EQ(read.grey, grey);
        EXPECT_LT(MeanError(read.samples, picture.samples), 2.0) << (grey ? "grey" : "colour");
        EXPECT_LT(MeanError(MagickPixels(file, grey, 8), InRgbOrder(picture)), 2.0);
        EXPECT_EQ(ExifTool(file, "ColorComponents"), grey ? "1" : "3");
    }
}

using TiffCompressions = CodecTest;

TEST_F(TiffCompressions, EveryChoiceGivesTheSamplesBackAndNamesItself) {
    const std::pair<TiffCompression, const char*> choices[] = {
        {TiffCompression::kDeflate, "Adobe Deflate"},
        {TiffCompression::kLzw, "LZW"},
        {TiffCompression::kNone, "Uncompressed"}};
    for (bool sixteen : {false, true})
        for (const auto& [compression, name] : choices) {
            const Picture picture = NoisePicture(37, 23, false, sixteen, 3);
            CodecHandle h = HandOver(picture);
            const auto file =
                File(std::to_string(int(compression)) + (sixteen ? "-16" : "-8") + ".tif");
            ASSERT_TRUE(cSetTIFFParams(*h, compression) && cSave(*h, file, kSaveCodeTiff));
            EXPECT_EQ(ExifTool(file, "Compression"), name);
            EXPECT_EQ(ReadBack(*LoadFile(file)).samples, picture.samples) << name;
            EXPECT_EQ(MagickPixels(file, false, sixteen ? 16 : 8), InRgbOrder(picture)) << name;
        }
}

using HandOver16 = CodecTest;

TEST_F(HandOver16, PackedBitmapCarriesHeaderPaletteAndBits) {
    const Picture picture = NoisePicture(5, 3, true, false, 2);
    std::vector<uint8_t> dib;
    ASSERT_TRUE(cGetDIB(*HandOver(picture), dib));
    ASSERT_EQ(dib.size(), 40 + 1024 + BitmapStride(5, 8) * 3);
    EXPECT_EQ(dib[14], 8);                           // bit count
    EXPECT_EQ(dib[40 + 4 * 200], 200);               // grey palette
    EXPECT_EQ(dib[40 + 1024], picture.At(0, 2, 0));  // the bottom row comes first
}

}  // namespace
}  // namespace stillpix::test
