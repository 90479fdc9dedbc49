// Thumbnails fit the size asked for and look like the picture; file information comes without
// decoding.
#include <cstdlib>

#include "tests/codec/codec_test_support.h"

namespace stillpix::test {
namespace {

using Thumbnail = CodecTest;

// The mean colour of a picture, channel by channel.
std::vector<double> MeanColour(const Picture& p) {
    std::vector<double> mean(p.Channels(), 0.0);
    for (std::size_t i = 0; i < p.samples.size(); ++i) mean[i % p.Channels()] += p.samples[i];
    for (double& m : mean) m /= double(p.width) * p.height;
    return mean;
}

TEST_F(Thumbnail, FitsTheBoxAndKeepsTheLook) {
    struct Case {
        const char* file;
        int code;
        int width, height;
        bool grey;
        int fitWidth, fitHeight;  // expected thumbnail size in a 96 x 96 box
    };
    for (const Case& c : {Case{"big.jpg", 92, 800, 600, false, 96, 72},
                          Case{"tall.jpg", 92, 300, 1000, true, 29, 96},
                          Case{"wide.png", kSaveCodePng, 301, 100, false, 96, 32},
                          Case{"odd.tif", kSaveCodeTiff, 97, 97, true, 96, 96},
                          Case{"small.png", kSaveCodePng, 20, 10, false, 20, 10}}) {
        const Picture picture = SmoothPicture(c.width, c.height, c.grey);
        CodecHandle h = HandOver(picture);
        ASSERT_TRUE(cSave(*h, File(c.file), c.code)) << c.file;

        CodecHandle thumb = cNewSession();
        cSet16BitComponentOptions(*thumb, false, false);
        ASSERT_TRUE(cLoadThumbnailEx(*thumb, File(c.file), 96, 96))
            << c.file << ": " << cGetLastError(*thumb);
        ImageInfo info;
        ASSERT_TRUE(cGetImageInfo(*thumb, info));
        EXPECT_EQ(info.width, c.fitWidth) << c.file;
        EXPECT_EQ(info.height, c.fitHeight) << c.file;
        EXPECT_EQ(info.fileWidth, c.width) << c.file;
        EXPECT_EQ(info.fileHeight, c.height) << c.file;
        EXPECT_EQ(info.bitsPerPixel, c.grey ? 8 : 24) << c.file;
        const std::vector<double> want = MeanColour(picture), got = MeanColour(ReadBack(*thumb));
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i)
            EXPECT_NEAR(got[i], want[i], 3.0) << c.file << " channel " << i;
    }
}

TEST_F(Thumbnail, SixteenBitFilesGiveEightBitThumbnailsWithTheirExif) {
    CodecHandle h = HandOver(NoisePicture(200, 150, false, true));
    ExifBlock exif;
    ASSERT_TRUE(cEXIF_PutSoftware(exif, "Thumbnail Test"));
    ASSERT_TRUE(cPutImageEXIF_Info(*h, exif));
    ASSERT_TRUE(cSave(*h, File("deep.tif"), kSaveCodeTiff));
    CodecHandle thumb = cNewSession();
    ASSERT_TRUE(cLoadThumbnailEx(*thumb, File("deep.tif"), 64, 64)) << cGetLastError(*thumb);
    ImageInfo info;
    ASSERT_TRUE(cGetImageInfo(*thumb, info));
    EXPECT_EQ(info.bitsPerPixel, 24);
    EXPECT_EQ(info.width, 64);
    EXPECT_EQ(info.height, 48);
    std::vector<uint8_t> samples;
    EXPECT_FALSE(cGetImage16(*thumb, samples));
    ExifBlock read;
    ASSERT_TRUE(cGetImageEXIF_Info(*thumb, read));
    std::string software;
    ASSERT_TRUE(read.GetSoftware(software));
    EXPECT_EQ(software.c_str(), std::string("Thumbnail Test"));
    EXPECT_FALSE(cLoadThumbnailEx(*thumb, File("deep.tif"), 0, 64));
}

TEST_F(Thumbnail, FileInformationWithoutDecoding) {
    CodecHandle colour = HandOver(NoisePicture(31, 9, false, true));
    ExifBlock exif;
    ASSERT_TRUE(cEXIF_PutSoftware(exif, "Info Test"));
    ASSERT_TRUE(cPutImageEXIF_Info(*colour, exif));
    ASSERT_TRUE(cSave(*colour, File("a.tif"), kSaveCodeTiff));
    ASSERT_TRUE(cSave(*colour, File("a.png"), kSaveCodePng));
    ASSERT_TRUE(cSave(*colour, File("a.jpg"), 80));
    ASSERT_TRUE(Shell("/usr/bin/convert " + ShellQuoted(File("a.png")) + " -colorspace gray " +
                      ShellQuoted(File("a.gif"))));
    ASSERT_TRUE(Shell("/usr/bin/convert " + ShellQuoted(File("a.png")) + " " +
                      ShellQuoted("BMP3:" + File("a.bmp").string())));
    struct Case {
        const char* file;
        const char* format;
        int bitsPerPixel;
        bool software;
    };
    for (const Case& c : {Case{"a.tif", "TIFF", 48, true}, Case{"a.png", "PNG", 48, true},
                          Case{"a.jpg", "JPEG", 24, true}, Case{"a.gif", "GIF", 8, false},
                          Case{"a.bmp", "BMP", 24, false}}) {
        ImageFileInfo info;
        ExifBlock read;
        IptcBlock iptc;
        std::string error;
        ASSERT_TRUE(cGetImageFileInfoEx(File(c.file), info, &read, &iptc, &error))
            << c.file << ": " << error;
        EXPECT_EQ(info.width, 31) << c.file;
        EXPECT_EQ(info.height, 9) << c.file;
        EXPECT_EQ(info.bitsPerPixel, c.bitsPerPixel) << c.file;
        EXPECT_EQ(info.format, c.format);
        EXPECT_EQ(info.fileSize, std::filesystem::file_size(File(c.file))) << c.file;
        std::string software;
        EXPECT_EQ(read.GetSoftware(software), c.software) << c.file;
    }
}

}  // namespace
}  // namespace stillpix::test
