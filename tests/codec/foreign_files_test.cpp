// Files written by ImageMagick in the layouts other programs produce, read by the codec and
// compared with ImageMagick's own decoding of the same file.
#include <cstdlib>

#include "tests/codec/codec_test_support.h"

namespace stillpix::test {
namespace {

struct ForeignCase {
    const char* name;
    const char* file;      // the extension tells ImageMagick the format
    const char* prefix;    // ImageMagick's format prefix of the output ("BMP3:"), or ""
    const char* options;   // ImageMagick options that make the layout
    int bitsPerPixel;      // expected from the codec
    int tolerance;         // largest sample difference allowed (lossy layouts)
    bool flatten = false;  // transparency: compare with the picture laid over white
};

class ForeignFile : public CodecTest, public ::testing::WithParamInterface<ForeignCase> {};

TEST_P(ForeignFile, DecodesAsImageMagickDoes) {
    const ForeignCase& c = GetParam();
    // A source with fine detail, partly transparent where a case keeps alpha.
    CodecHandle source = HandOver(NoisePicture(33, 17, false, true, 11));
    ASSERT_TRUE(cSave(*source, File("source.png"), kSaveCodePng));
    const auto file = File(c.file);
    const std::string alpha = c.flatten ? " -alpha set -channel A -fx 'i/w' +channel" : "";
    ASSERT_TRUE(Shell("/usr/bin/convert " + ShellQuoted(File("source.png")) + alpha + " " +
                      c.options + " " + ShellQuoted(c.prefix + file.string()) + " 2>&1"))
        << "ImageMagick could not write " << c.name;

    CodecHandle h = LoadFile(file);
    ImageInfo info;
    ASSERT_TRUE(cGetImageInfo(*h, info));
    EXPECT_EQ(info.width, 33);
    EXPECT_EQ(info.height, 17);
    EXPECT_EQ(info.bitsPerPixel, c.bitsPerPixel);
    const Picture ours = ReadBack(*h);
    const int depth = ours.sixteen ? 16 : 8;

    std::filesystem::path reference = file;
    if (c.flatten) {
        reference = File("flat.png");
        ASSERT_TRUE(Shell("/usr/bin/convert " + ShellQuoted(file) + " -background white -flatten " +
                          ShellQuoted(reference)));
    }
    const std::vector<uint16_t> theirs = MagickPixels(reference, ours.grey, depth);
    const std::vector<uint16_t> mine = InRgbOrder(ours);
    ASSERT_EQ(mine.size(), theirs.size());
    int worst = 0;
    for (std::size_t i = 0; i < mine.size(); ++i)
        worst = std::max(worst, std::abs(int(mine[i]) - int(theirs[i])));
    EXPECT_LE(worst, c.tolerance);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Layouts, ForeignFile, ::testing::Values(
    ForeignCase{"TiffLzw",         "a.tif", "",      "-depth 8 -compress LZW",                            24, 0},
    ForeignCase{"TiffDeflate",     "a.tif", "",      "-depth 8 -compress Zip",                            24, 0},
    ForeignCase{"TiffPackBits",    "a.tif", "",      "-depth 8 -compress RLE",                            24, 0},
    ForeignCase{"TiffTiled",       "a.tif", "",      "-depth 8 -define tiff:tile-geometry=16x16",         24, 0},
    ForeignCase{"TiffPlanes",      "a.tif", "",      "-depth 8 -interlace plane",                         24, 0},
    ForeignCase{"TiffPlanes16",    "a.tif", "",      "-depth 16 -interlace plane -compress LZW",          48, 0},
    ForeignCase{"TiffTiled16",     "a.tif", "",      "-depth 16 -define tiff:tile-geometry=16x16",        48, 0},
    ForeignCase{"TiffMotorola16",  "a.tif", "",      "-depth 16 -define tiff:endian=msb",                 48, 0},
    ForeignCase{"TiffGrey16",      "a.tif", "",      "-colorspace gray -depth 16",                        16, 0},
    ForeignCase{"TiffMinIsWhite",  "a.tif", "",      "-colorspace gray -depth 8 -define quantum:polarity=min-is-white", 8, 0},
    ForeignCase{"TiffBilevel",     "a.tif", "",      "-monochrome -compress Group4",                      8, 0},
    ForeignCase{"TiffPalette",     "a.tif", "",      "-depth 8 -colors 50 -type Palette",                 24, 1},
    ForeignCase{"TiffJpeg",        "a.tif", "",      "-depth 8 -compress JPEG -quality 95",               24, 2},
    ForeignCase{"TiffAlpha",       "a.tif", "",      "-depth 8",                                          24, 1, true},
    ForeignCase{"TiffAlpha16",     "a.tif", "",      "-depth 16",                                         48, 1, true},
    ForeignCase{"PngPalette",      "a.png", "PNG8:", "-colors 40",                                        24, 0},
    ForeignCase{"PngInterlaced",   "a.png", "",      "-depth 8 -interlace PNG",                           24, 0},
    ForeignCase{"PngInterlaced16", "a.png", "",      "-depth 16 -interlace PNG",                          48, 0},
    ForeignCase{"PngGreyAlpha",    "a.png", "",      "-colorspace gray -depth 8",                         8, 1, true},
    ForeignCase{"PngAlpha16",      "a.png", "",      "-depth 16",                                         48, 1, true},
    ForeignCase{"PngOneBit",       "a.png", "",      "-monochrome",                                       8, 0},
    ForeignCase{"Bmp24",           "a.bmp", "BMP3:", "-depth 8",                                          24, 0},
    ForeignCase{"Bmp32",           "a.bmp", "",      "-depth 8 -alpha set -define bmp:format=bmp4",       24, 0},
    ForeignCase{"Bmp565",            "a.bmp", "",      "-depth 8 -define bmp:subtype=RGB565",               24, 1},
    ForeignCase{"Bmp555",            "a.bmp", "",      "-depth 8 -define bmp:subtype=RGB555",               24, 1},
    ForeignCase{"BmpPalette",      "a.bmp", "BMP3:", "-colors 60 -type Palette",                          24, 0},
    ForeignCase{"BmpRle8",         "a.bmp", "BMP3:", "-colors 60 -type Palette -compress RLE",            24, 0},
    ForeignCase{"BmpFourBit",      "a.bmp", "BMP3:", "-colors 12 -type Palette",                          24, 0},
    ForeignCase{"BmpOneBit",       "a.bmp", "BMP3:", "-monochrome",                                       8, 0},
    ForeignCase{"BmpGreyPalette",  "a.bmp", "BMP3:", "-colorspace gray -colors 32 -type Palette",         8, 0},
    ForeignCase{"Gif",             "a.gif", "",      "-colors 64",                                        24, 0},
    ForeignCase{"GifInterlaced",   "a.gif", "",      "-colors 64 -interlace GIF",                         24, 0},
    ForeignCase{"GifGrey",         "a.gif", "",      "-colorspace gray",                                  8, 0},
    ForeignCase{"JpegProgressive", "a.jpg", "",      "-quality 95 -interlace JPEG",                       24, 2},
    ForeignCase{"JpegGrey",        "a.jpg", "",      "-colorspace gray -quality 95",                      8, 2},
    ForeignCase{"JpegCmyk",        "a.jpg", "",      "-colorspace CMYK -quality 95",                      24, 2}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace stillpix::test
