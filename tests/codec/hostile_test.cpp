// Broken and lying files give a clear failure without a crash or a huge allocation. (Saves under
// full disks and other faults are in tests/faults; random damage is the fuzz targets' smoke run.)
#include <algorithm>

#include "tests/codec/codec_test_support.h"
#include "tests/exif/tiff_block_writer.h"
#include "tests/support/hostile_files.h"

namespace stillpix::test {
namespace {

class Hostile : public CodecTest {
protected:
    // Loading fails with a message; the handle holds no image afterwards.
    void ExpectRefused(const Bytes& bytes, const std::string& name, const std::string& why) {
        const auto file = File(name);
        WriteFileBytes(file, bytes);
        ExpectRefused(file, why);
    }
    void ExpectRefused(const std::filesystem::path& file, const std::string& why) {
        CodecHandle h = cNewSession();
        cSet16BitComponentOptions(*h, true, true);
        EXPECT_FALSE(cLoadImage(*h, file)) << why;
        EXPECT_FALSE(cGetLastError(*h).empty()) << why;
        ImageInfo info;
        EXPECT_FALSE(cGetImageInfo(*h, info)) << why;
        EXPECT_FALSE(cLoadThumbnailEx(*h, file, 64, 64)) << why;
    }
    // A 40 x 30 picture saved by us (PNG and TIFF of 16 bits when asked), and as GIF and BMP by
    // ImageMagick.
    Bytes ValidFile(const std::string& name, bool sixteen = true) {
        const std::string ext = name.substr(name.size() - 3);
        CodecHandle h =
            HandOver(NoisePicture(40, 30, false, sixteen && (ext == "png" || ext == "tif"), 5));
        if (ext == "gif" || ext == "bmp") {
            EXPECT_TRUE(cSave(*h, File("source.png"), kSaveCodePng));
            EXPECT_TRUE(Shell("/usr/bin/convert " + ShellQuoted(File("source.png")) +
                              " -colors 64 " +
                              ShellQuoted((ext == "bmp" ? "BMP3:" : "") + File(name).string())))
                << name;
        } else {
            EXPECT_TRUE(cSave(*h, File(name),
                              ext == "jpg"   ? 90
                              : ext == "png" ? kSaveCodePng
                                             : kSaveCodeTiff));
        }
        return ReadFileBytes(File(name));
    }
};

// An uncompressed 8-bit RGB TIFF whose one strip is described by the caller.
Bytes HandMadeTiff(uint32_t width, uint32_t height, uint32_t stripOffset, uint32_t stripBytes,
                   std::size_t dataBytes, bool bigEndian = false) {
    TiffBlockWriter w(bigEndian);
    w.TiffHeader();
    w.Directory({w.Long(0x0100, {width}), w.Long(0x0101, {height}), w.Short(0x0102, {8, 8, 8}),
                 w.Short(0x0103, {1}), w.Short(0x0106, {2}), w.Long(0x0111, {stripOffset}),
                 w.Short(0x0115, {3}), w.Long(0x0116, {height}), w.Long(0x0117, {stripBytes})},
                0);
    Bytes bytes = w.Bytes();
    bytes.resize(bytes.size() + dataBytes, 0x80);
    return bytes;
}

TEST_F(Hostile, FilesThatAreNoImages) {
    const std::string text = "This is not a picture, only some text in a file named like one.\n";
    ExpectRefused(Bytes{}, "empty.jpg", "zero-byte file");
    ExpectRefused(Bytes(text.begin(), text.end()), "text.jpg", "text named .jpg");
    ExpectRefused(File("missing.png"), "missing file");
    ExpectRefused(folder_.Path(), "a folder");
    ExpectRefused(Bytes{0xFF, 0xD8, 0xFF}, "soi.jpg", "JPEG start marker only");
    ExpectRefused(Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, "sig.png",
                  "PNG signature only");
    ExpectRefused(Bytes{'I', 'I', 42, 0, 8, 0, 0, 0}, "hdr.tif", "TIFF header without directory");
    ExpectRefused(Bytes{'B', 'M', 0, 0}, "bm.bmp", "BMP magic only");
    ExpectRefused(Bytes{'G', 'I', 'F', '8', '9', 'a'}, "gif.gif", "GIF signature only");

    ImageFileInfo info;
    std::string error;
    EXPECT_FALSE(cGetImageFileInfoEx(File("text.jpg"), info, nullptr, nullptr, &error));
    EXPECT_NE(error.find("not a JPEG, PNG, TIFF, GIF or BMP"), std::string::npos) << error;
    EXPECT_FALSE(cGetImageFileInfoEx(File("empty.jpg"), info, nullptr, nullptr, &error));
    EXPECT_NE(error.find("empty"), std::string::npos) << error;
}

TEST_F(Hostile, TruncatedFiles) {
    for (const std::string name : {"t.jpg", "t.png", "t.tif", "t.gif", "t.bmp"}) {
        const Bytes whole = ValidFile(name);
        ASSERT_GT(whole.size(), 100u) << name;
        // GIF and BMP are cut in their pixel data.
        for (double part :
             name == "t.gif" || name == "t.bmp" ? std::vector{0.5} : std::vector{0.9, 0.5, 0.1})
            ExpectRefused(Bytes(whole.begin(),
                                whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * part)),
                          "cut_" + name, name + " cut to " + std::to_string(part));
    }
}

TEST_F(Hostile, TiffFilesThatLie) {
    const Bytes fine = HandMadeTiff(4, 2, 200, 24, 400);
    // The hand-made layout itself is sound, and a strip byte count far past the end reads only
    // the pixels that are there.
    for (const Bytes& sound : {fine, HandMadeTiff(4, 2, 200, 0xFFFFFFF0, 400)}) {
        WriteFileBytes(File("sound.tif"), sound);
        EXPECT_EQ(ReadBack(*LoadFile(File("sound.tif"))).samples, std::vector<uint16_t>(24, 0x80));
    }
    ExpectRefused(HandMadeTiff(4000000, 4000000, 200, 24, 400), "huge.tif", "absurd dimensions");
    ExpectRefused(HandMadeTiff(60000, 60000, 200, 24, 400, true), "wide.tif",
                  "dimensions the file cannot hold");
    ExpectRefused(HandMadeTiff(4, 2, 0x7FFFFFF0, 24, 400), "far.tif", "strip offset past the end");
    ExpectRefused(HandMadeTiff(4, 2, 200, 24, 10), "short.tif", "strip cut short");
    Bytes nowhere = fine;
    nowhere[4] = 0xF0, nowhere[5] = 0xFF, nowhere[6] = 0xFF, nowhere[7] = 0x0F;
    ExpectRefused(nowhere, "ifd.tif", "first directory past the end");
}

TEST_F(Hostile, HeadersDeclaringHugeImages) {
    // PNG: a 100000 x 100000 IHDR in a file of a few hundred bytes (its CRC is wrong too: either
    // refusal is fine).
    Bytes png = ValidFile("p.png");
    for (int i : {16, 20}) png[i] = 0, png[i + 1] = 0x01, png[i + 2] = 0x86, png[i + 3] = 0xA0;
    ExpectRefused(png, "huge.png", "PNG of 100000 x 100000");
    // JPEG: SOF claiming 65000 x 65000.
    Bytes jpeg = ValidFile("j.jpg");
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = 0xFD, jpeg[i + 6] = 0xE8, jpeg[i + 7] = 0xFD, jpeg[i + 8] = 0xE8;
            break;
        }
    ExpectRefused(jpeg, "huge.jpg", "JPEG of 65000 x 65000");
    // GIF: a 65535 x 65535 screen and frame.
    ExpectRefused(Bytes{'G',  'I',  'F',  '8',  '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0,
                        0,    0,    0,    0,    255, 255, 255,  ',',  0,    0,    0,    0,
                        0xFF, 0xFF, 0xFF, 0xFF, 0,   2,   2,    0x44, 0x01, 0,    ';'},
                  "huge.gif", "GIF of 65535 x 65535");
    // BMP: 24 bits, 50000 x 50000, no pixel data; then 4 x -2^31.
    Bytes bmp(54, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[26] = 1, bmp[28] = 24;
    for (int at : {18, 22}) bmp[at] = 0x50, bmp[at + 1] = 0xC3;
    ExpectRefused(bmp, "huge.bmp", "BMP of 50000 x 50000");
    bmp[18] = 4, bmp[19] = 0, bmp[22] = 0x00, bmp[23] = 0x00, bmp[24] = 0x00, bmp[25] = 0x80;
    ExpectRefused(bmp, "negative.bmp", "BMP of height -2^31");
}

// A header's size is read without decoding (Details mode), while a thumbnail, which would have to
// decode all of it, is refused with the memory it would take.
TEST_F(Hostile, HugeImagesGiveTheirSizeButNoThumbnail) {
    const std::string png = File("huge.png").string(), bmp = File("huge.bmp").string();
    WriteFileBytes(png, HugePng(12000));
    WriteHugeBmp(bmp, 12000);
    for (const std::string& file : {png, bmp}) {
        ImageFileInfo info;
        EXPECT_TRUE(cGetImageFileInfoEx(file, info, nullptr, nullptr)) << file;
        EXPECT_EQ(info.width, 12000) << file;
        CodecHandle h = cNewSession();
        EXPECT_FALSE(cLoadThumbnailEx(*h, file, 160, 120)) << file;
        EXPECT_NE(cGetLastError(*h).find("image needs 412.0 MiB, 256.0 MiB available"),
                  std::string::npos)
            << cGetLastError(*h);
    }
}

TEST_F(Hostile, SavesWithNowhereToGoOrNothingToWriteFail) {
    CodecHandle h = HandOver(NoisePicture(10, 10, false, false, 1));
    EXPECT_FALSE(cSave(*h, File("no/such/folder/out.jpg"), 90));
    EXPECT_FALSE(cGetLastError(*h).empty());
    EXPECT_FALSE(cSave(*h, File("bad.jpg"), 101));  // no such quality
    EXPECT_FALSE(std::filesystem::exists(File("bad.jpg")));
    EXPECT_FALSE(cSave(*cNewSession(), File("nothing.png"), kSaveCodePng));
    EXPECT_FALSE(std::filesystem::exists(File("nothing.png")));
}

TEST_F(Hostile, HandedOverPixelsAreChecked) {
    CodecHandle h = cNewSession();
    const Bytes few(10, 0);
    EXPECT_FALSE(cLoadImage8(*h, few, 4, 4));
    EXPECT_FALSE(cLoadImage16(*h, few, 2, 2, false));
    EXPECT_FALSE(cLoadImage8(*h, few, 0, 4));
    EXPECT_FALSE(cLoadImage8(*h, few, -3, 4));
    BitmapInfoHeader header;
    header.width = 4, header.height = 4, header.bitCount = 24;
    EXPECT_FALSE(cLoadDIBitmap(*h, header, few));
    header.bitCount = 16;
    EXPECT_FALSE(cLoadDIBitmap(*h, header, Bytes(64)));
    header.bitCount = 24, header.height = INT32_MIN;
    EXPECT_FALSE(cLoadDIBitmap(*h, header, Bytes(64)));
}

}  // namespace
}  // namespace stillpix::test
