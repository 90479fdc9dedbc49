// Broken and lying files give a clear failure without a crash or a huge allocation, and a save
// that fails leaves the file it would have replaced as it was.
#include <algorithm>

#include "platform/atomic_file.h"
#include "tests/codec/codec_test_support.h"
#include "tests/exif/tiff_block_writer.h"

namespace stillpix::test {
namespace {

class Hostile : public CodecTest {
protected:
    // Loading fails with a message; the handle holds no image afterwards.
    void ExpectRefused(const std::filesystem::path& file, const std::string& why) {
        CodecHandle h = cNewSession();
        cSet16BitComponentOptions(*h, true, true);
        EXPECT_FALSE(cLoadImage(*h, file)) << why;
        EXPECT_FALSE(cGetLastError(*h).empty()) << why;
        ImageInfo info;
        EXPECT_FALSE(cGetImageInfo(*h, info)) << why;
        EXPECT_FALSE(cLoadThumbnailEx(*h, file, 64, 64)) << why;
    }

    std::vector<uint8_t> ValidFile(const std::string& name, int code) {
        CodecHandle h = HandOver(NoisePicture(40, 30, false, code != 90, 5));
        EXPECT_TRUE(cSave(*h, File(name), code));
        return ReadBytes(File(name));
    }

    static void Convert(const std::filesystem::path& from, const std::string& options, const std::string& to) {
        int status = 0;
        RunTool("/usr/bin/convert '" + from.string() + "' " + options + " '" + to + "'", &status);
        EXPECT_EQ(status, 0) << to;
    }

    std::filesystem::path Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        WriteBytes(File(name), bytes);
        return File(name);
    }
};

// An uncompressed 8-bit RGB TIFF whose one strip is described by the caller.
std::vector<uint8_t> HandMadeTiff(uint32_t width, uint32_t height, uint32_t stripOffset, uint32_t stripBytes,
                                  std::size_t dataBytes, bool bigEndian = false) {
    TiffBlockWriter w(bigEndian);
    w.TiffHeader();
    w.Directory({w.Long(0x0100, {width}), w.Long(0x0101, {height}), w.Short(0x0102, {8, 8, 8}),
                 w.Short(0x0103, {1}), w.Short(0x0106, {2}), w.Long(0x0111, {stripOffset}), w.Short(0x0115, {3}),
                 w.Long(0x0116, {height}), w.Long(0x0117, {stripBytes})},
                0);
    std::vector<uint8_t> bytes = w.Bytes();
    bytes.resize(bytes.size() + dataBytes, 0x80);
    return bytes;
}

TEST_F(Hostile, FilesThatAreNoImages) {
    ExpectRefused(Write("empty.jpg", {}), "zero-byte file");
    const std::string text = "This is not a picture, only some text in a file named like one.\n";
    ExpectRefused(Write("text.jpg", std::vector<uint8_t>(text.begin(), text.end())), "text named .jpg");
    ExpectRefused(File("missing.png"), "missing file");
    ExpectRefused(dir_, "a folder");
    ExpectRefused(Write("soi.jpg", {0xFF, 0xD8, 0xFF}), "JPEG start marker only");
    ExpectRefused(Write("sig.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}), "PNG signature only");
    ExpectRefused(Write("hdr.tif", {'I', 'I', 42, 0, 8, 0, 0, 0}), "TIFF header without directory");
    ExpectRefused(Write("bm.bmp", {'B', 'M', 0, 0}), "BMP magic only");
    ExpectRefused(Write("gif.gif", {'G', 'I', 'F', '8', '9', 'a'}), "GIF signature only");

    ImageFileInfo info;
    std::string error;
    EXPECT_FALSE(cGetImageFileInfoEx(File("text.jpg"), info, nullptr, nullptr, &error));
    EXPECT_NE(error.find("not a JPEG, PNG, TIFF, GIF or BMP"), std::string::npos) << error;
    EXPECT_FALSE(cGetImageFileInfoEx(File("empty.jpg"), info, nullptr, nullptr, &error));
    EXPECT_NE(error.find("empty"), std::string::npos) << error;
}

TEST_F(Hostile, TruncatedFiles) {
    for (const auto& [name, code] : {std::pair{"t.jpg", 90}, {"t.png", kSaveCodePng}, {"t.tif", kSaveCodeTiff}}) {
        const std::vector<uint8_t> whole = ValidFile(name, code);
        for (double part : {0.9, 0.5, 0.1}) {
            std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() * part));
            ExpectRefused(Write(std::string("cut_") + name, cut), std::string(name) + " cut to " + std::to_string(part));
        }
    }
    // A GIF and a BMP cut in their pixel data.
    CodecHandle h = HandOver(NoisePicture(40, 30, false, false));
    ASSERT_TRUE(cSave(*h, File("g.png"), kSaveCodePng));
    Convert(File("g.png"), "-colors 64", File("g.gif"));
    Convert(File("g.png"), "-colors 64", "BMP3:" + File("g.bmp").string());
    for (const char* name : {"g.gif", "g.bmp"}) {
        const std::vector<uint8_t> whole = ReadBytes(File(name));
        ASSERT_GT(whole.size(), 100u) << name;
        ExpectRefused(Write(std::string("cut_") + name, std::vector<uint8_t>(whole.begin(), whole.begin() + whole.size() / 2)),
                      name);
    }
}

TEST_F(Hostile, TiffFilesThatLie) {
    const std::vector<uint8_t> fine = HandMadeTiff(4, 2, 200, 24, 400);
    {
        CodecHandle h = LoadFile(Write("fine.tif", fine));
        EXPECT_EQ(ReadBack(*h).samples, std::vector<uint16_t>(24, 0x80));  // the hand-made layout itself is sound
    }
    ExpectRefused(Write("huge.tif", HandMadeTiff(4000000, 4000000, 200, 24, 400)), "absurd dimensions");
    ExpectRefused(Write("wide.tif", HandMadeTiff(60000, 60000, 200, 24, 400, true)), "dimensions the file cannot hold");
    ExpectRefused(Write("far.tif", HandMadeTiff(4, 2, 0x7FFFFFF0, 24, 400)), "strip offset past the end");
    {
        // A strip byte count far past the end: the pixels that are there are all that is read.
        CodecHandle h = LoadFile(Write("count.tif", HandMadeTiff(4, 2, 200, 0xFFFFFFF0, 400)));
        EXPECT_EQ(ReadBack(*h).samples, std::vector<uint16_t>(24, 0x80));
    }
    ExpectRefused(Write("short.tif", HandMadeTiff(4, 2, 200, 24, 10)), "strip cut short");
    std::vector<uint8_t> nowhere = fine;
    nowhere[4] = 0xF0, nowhere[5] = 0xFF, nowhere[6] = 0xFF, nowhere[7] = 0x0F;
    ExpectRefused(Write("ifd.tif", nowhere), "first directory past the end");
}

TEST_F(Hostile, HeadersDeclaringHugeImages) {
    // PNG: a 100000 x 100000 IHDR in a file of a few hundred bytes.
    std::vector<uint8_t> png = ValidFile("p.png", kSaveCodePng);
    for (int i : {16, 20}) png[i] = 0, png[i + 1] = 0x01, png[i + 2] = 0x86, png[i + 3] = 0xA0;
    ExpectRefused(Write("huge.png", png), "PNG of 100000 x 100000");  // (CRC is wrong too: either refusal is fine)

    // JPEG: SOF claiming 65000 x 65000.
    std::vector<uint8_t> jpeg = ValidFile("j.jpg", 90);
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = 0xFD, jpeg[i + 6] = 0xE8, jpeg[i + 7] = 0xFD, jpeg[i + 8] = 0xE8;
            break;
        }
    ExpectRefused(Write("huge.jpg", jpeg), "JPEG of 65000 x 65000");

    // GIF: a 65535 x 65535 screen and frame.
    const std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a', 0xFF, 0xFF, 0xFF, 0xFF, 0x80, 0, 0, 0, 0, 0,
                                      255, 255, 255, ',', 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 2, 0x44, 0x01, 0,
                                      ';'};
    ExpectRefused(Write("huge.gif", gif), "GIF of 65535 x 65535");

    // BMP: 24 bits, 50000 x 50000, no pixel data.
    std::vector<uint8_t> bmp(54, 0);
    bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[26] = 1, bmp[28] = 24;
    for (int at : {18, 22}) bmp[at] = 0x50, bmp[at + 1] = 0xC3;
    ExpectRefused(Write("huge.bmp", bmp), "BMP of 50000 x 50000");
    bmp[18] = 4, bmp[19] = 0, bmp[22] = 0x00, bmp[23] = 0x00, bmp[24] = 0x00, bmp[25] = 0x80;  // height -2^31
    ExpectRefused(Write("negative.bmp", bmp), "BMP of height -2^31");
}

// Every format's decoder meets damaged bytes at many places; whatever it answers, it must not
// crash or read outside its buffers (the sanitizer build checks the latter).
TEST_F(Hostile, DamagedBytesAnywhere) {
    uint32_t state = 99;
    auto next = [&] { return state = state * 1664525u + 1013904223u; };
    CodecHandle source = HandOver(NoisePicture(24, 16, false, false));
    ASSERT_TRUE(cSave(*source, File("s.png"), kSaveCodePng));
    Convert(File("s.png"), "-colors 30", File("s.gif"));
    Convert(File("s.png"), "-colors 30", "BMP3:" + File("s.bmp").string());
    ASSERT_TRUE(cSave(*source, File("s.jpg"), 80));
    ASSERT_TRUE(cSave(*source, File("s.tif"), kSaveCodeTiff));
    for (const char* name : {"s.jpg", "s.png", "s.tif", "s.gif", "s.bmp"}) {
        const std::vector<uint8_t> whole = ReadBytes(File(name));
        ASSERT_FALSE(whole.empty()) << name;
        for (int round = 0; round < 40; ++round) {
            std::vector<uint8_t> bytes = whole;
            for (int k = 0; k < 1 + round % 4; ++k) bytes[next() % bytes.size()] = static_cast<uint8_t>(next() >> 24);
            const auto file = Write(std::string("damaged_") + name, bytes);
            CodecHandle h = cNewSession();
            cSet16BitComponentOptions(*h, true, true);
            if (cLoadImage(*h, file)) {
                ImageInfo info;
                EXPECT_TRUE(cGetImageInfo(*h, info));
            } else {
                EXPECT_FALSE(cGetLastError(*h).empty()) << name;
            }
        }
    }
}

TEST_F(Hostile, FailedSaveLeavesTheOldFile) {
    CodecHandle first = HandOver(NoisePicture(10, 10, false, false, 1));
    CodecHandle second = HandOver(NoisePicture(10, 10, false, false, 2));
    for (const auto& [name, code] : {std::pair{"keep.jpg", 90}, {"keep.tif", kSaveCodeTiff}, {"keep.png", kSaveCodePng}}) {
        const auto target = File(name);
        ASSERT_TRUE(cSave(*first, target, code));
        const std::vector<uint8_t> before = ReadBytes(target);

        InjectWriteFailureAfter(1);  // the disk fills up as the file is completed
        EXPECT_FALSE(cSave(*second, target, code));
        InjectWriteFailureAfter(0);
        EXPECT_FALSE(cGetLastError(*second).empty());
        EXPECT_EQ(ReadBytes(target), before) << name;
    }
    // Nothing half-written is left beside them.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 3u);

    EXPECT_FALSE(cSave(*first, File("no/such/folder/out.jpg"), 90));
    EXPECT_FALSE(cGetLastError(*first).empty());
    CodecHandle empty = cNewSession();
    EXPECT_FALSE(cSave(*empty, File("nothing.png"), kSaveCodePng));
    EXPECT_FALSE(std::filesystem::exists(File("nothing.png")));
}

TEST_F(Hostile, HandedOverPixelsAreChecked) {
    CodecHandle h = cNewSession();
    const std::vector<uint8_t> few(10, 0);
    EXPECT_FALSE(cLoadImage8(*h, few, 4, 4));
    EXPECT_FALSE(cLoadImage16(*h, few, 2, 2, false));
    EXPECT_FALSE(cLoadImage8(*h, few, 0, 4));
    EXPECT_FALSE(cLoadImage8(*h, few, -3, 4));
    BitmapInfoHeader header;
    header.width = 4, header.height = 4, header.bitCount = 24;
    EXPECT_FALSE(cLoadDIBitmap(*h, header, few));
    header.bitCount = 16;
    EXPECT_FALSE(cLoadDIBitmap(*h, header, std::vector<uint8_t>(64)));
    header.bitCount = 24;
    header.height = INT32_MIN;
    EXPECT_FALSE(cLoadDIBitmap(*h, header, std::vector<uint8_t>(64)));
}

}  // namespace
}  // namespace stillpix::test
