// EXIF and IPTC blocks through load and save, read back by exiftool; maker notes laid out as
// cameras store them reach the maker-note parsers and survive a save.
#include <algorithm>

#include "exif/exif_formatter.h"
#include "tests/codec/codec_test_support.h"
#include "tests/exif/fake_exif_source.h"

namespace stillpix::test {
namespace {

class Metadata : public CodecTest {
protected:
    // A small JPEG of our own (JFIF APP0 first), then tagged by exiftool.
    std::filesystem::path TaggedJpeg() {
        const auto file = File("tagged.jpg");
        CodecHandle h = HandOver(SmoothPicture(40, 30, false));
        EXPECT_TRUE(cSave(*h, file, 90));
        int status = 0;
        RunTool("exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS 5D' -ISO=400 -ExposureTime=0.004 "
                "-FNumber=2.8 -ExposureCompensation=-0.67 '-DateTimeOriginal=2024:05:06 07:08:09' "
                "-XResolution=72 -YResolution=72 -ResolutionUnit=inches -Artist=Tester "
                "-IPTC:Keywords=noise -IPTC:Keywords=night '-IPTC:Caption-Abstract=A test' '" +
                    file.string() + "'",
                &status);
        EXPECT_EQ(status, 0);
        return file;
    }

    static Rows FormattedRows(const CodecSession& h) {
        ExifBlock exif;
        EXPECT_TRUE(cGetImageEXIF_Info(h, exif));
        ImageInfo info;
        EXPECT_TRUE(cGetImageInfo(h, info));
        CExifFormatter formatter;
        formatter.Set(exif, info.width, info.height);
        return RowsOf(formatter);
    }
};

TEST_F(Metadata, BlocksOfAJpegReachTheFormatter) {
    CodecHandle h = LoadFile(TaggedJpeg());
    const Rows expected = {{"Make", "Canon"},           {"Model", "Canon EOS 5D"},   {"Width", "40"},
                           {"Height", "30"},            {"X Resolution", "72 dpi"}, {"Y Resolution", "72 dpi"},
                           {"ISO Speed", "ISO 400"},    {"Aperture", "f2.8"},       {"Shutter Speed", "1/250"},
                           {"Exposure Bias", "-0.67"}, {"Date Created", "2024:05:06 07:08:09"}};
    EXPECT_EQ(FormattedRows(*h), expected);
    IptcBlock iptc;
    ASSERT_TRUE(cGetImageIPTC_Info(*h, iptc));
    EXPECT_FALSE(iptc.Empty());
}

TEST_F(Metadata, BlocksAndPutsSurviveASaveInEveryFormat) {
    CodecHandle source = LoadFile(TaggedJpeg());
    ExifBlock exif;
    IptcBlock iptc;
    ASSERT_TRUE(cGetImageEXIF_Info(*source, exif));
    ASSERT_TRUE(cGetImageIPTC_Info(*source, iptc));
    ASSERT_TRUE(cEXIF_PutSoftware(exif, "Veltrano Stillpix"));
    ASSERT_TRUE(cEXIF_PutISOSpeed(exif, 51200));
    ASSERT_TRUE(cEXIF_PutPixelXDimension(exif, 40));
    ASSERT_TRUE(cEXIF_PutPixelYDimension(exif, 30));
    ASSERT_TRUE(cPutImageEXIF_Info(*source, exif));
    ASSERT_TRUE(cPutImageIPTC_Info(*source, iptc));

    for (const auto& [name, code] : {std::pair{"out.jpg", 90}, {"out.tif", kSaveCodeTiff}, {"out.png", kSaveCodePng}}) {
        const auto file = File(name);
        ASSERT_TRUE(cSave(*source, file, code)) << name << ": " << cGetLastError(*source);
        EXPECT_EQ(ExifTool(file, "Make"), "Canon") << name;
        EXPECT_EQ(ExifTool(file, "Model"), "Canon EOS 5D") << name;
        EXPECT_EQ(ExifTool(file, "Software"), "Veltrano Stillpix") << name;
        EXPECT_EQ(ExifTool(file, "ISO"), "51200") << name;
        EXPECT_EQ(ExifTool(file, "ExifImageWidth"), "40") << name;
        EXPECT_EQ(ExifTool(file, "ExifImageHeight"), "30") << name;
        EXPECT_EQ(ExifTool(file, "FNumber"), "2.8") << name;
        EXPECT_EQ(ExifTool(file, "DateTimeOriginal"), "2024:05:06 07:08:09") << name;
        EXPECT_EQ(ExifTool(file, "Artist"), "Tester") << name;
        EXPECT_EQ(ExifTool(file, "Keywords"), "noise, night") << name;
        EXPECT_EQ(ExifTool(file, "Caption-Abstract"), "A test") << name;

        // The pixels are still those handed over, and the codec reads its own metadata back.
        CodecHandle back = LoadFile(file);
        const Picture picture = ReadBack(*back);
        EXPECT_EQ(picture.width, 40);
        const Rows rows = FormattedRows(*back);
        EXPECT_NE(std::find(rows.begin(), rows.end(), std::pair<std::string, std::string>{"ISO Speed", "ISO 51200"}),
                  rows.end())
            << name;
    }
}

TEST_F(Metadata, ImageWithoutMetadataSavesWithOnlyWhatIsPut) {
    CodecHandle h = HandOver(NoisePicture(8, 8, false, false));
    ExifBlock exif;
    ASSERT_TRUE(cGetImageEXIF_Info(*h, exif));
    EXPECT_TRUE(exif.Empty());
    EXPECT_EQ(cEXIF_GetJPEGBlockSize(exif), 0u);
    std::vector<uint8_t> note;
    EXPECT_FALSE(exif.GetMakerNote(note));
    ASSERT_TRUE(cEXIF_PutSoftware(exif, "Veltrano Stillpix"));
    EXPECT_GT(cEXIF_GetJPEGBlockSize(exif), 6u + 8u);
    ASSERT_TRUE(cPutImageEXIF_Info(*h, exif));
    ASSERT_TRUE(cSave(*h, File("plain.png"), kSaveCodePng)) << cGetLastError(*h);
    EXPECT_EQ(ExifTool(File("plain.png"), "Software"), "Veltrano Stillpix");
    EXPECT_EQ(ExifTool(File("plain.png"), "Make"), "");
}

struct NoteCase {
    const char* name;
    bool bigEndian;
    bool afterApp0;
    bool nikon;
};

class MakerNote : public Metadata, public ::testing::WithParamInterface<NoteCase> {
protected:
    std::filesystem::path NoteJpeg(const NoteCase& c) {
        const auto plain = File("plain.jpg");
        CodecHandle h = HandOver(SmoothPicture(16, 8, false));
        EXPECT_TRUE(cSave(*h, plain, 90));
        MakerNoteCase noteCase;
        noteCase.bigEndian = c.bigEndian;
        noteCase.make = c.nikon ? "NIKON CORPORATION" : "Canon";
        noteCase.note = c.nikon ? NikonNote : CanonNote;
        block_ = ExifTiffBlock(noteCase);
        const auto file = File("note.jpg");
        WriteJpegWithExif(ReadBytes(plain), block_, c.afterApp0, file);
        return file;
    }

    // The rows the maker-note parsers add, after the standard ones.
    static Rows NoteRows(const NoteCase& c) {
        if (c.nikon) return {{"ISO Speed", "ISO 400"}};
        return {{"ISO Speed", "ISO 100"}, {"White Balance", "Sunny"}, {"Sharpness", "Normal"},
                {"Contrast", "Low"},      {"Saturation", "Normal"}};
    }

    static void ExpectNoteRows(const Rows& rows, const NoteCase& c) {
        for (const auto& row : NoteRows(c))
            EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row.first << " = " << row.second;
    }

    std::vector<uint8_t> block_;
};

TEST_P(MakerNote, ReachesTheParserWithItsOffsetAndOrder) {
    const NoteCase& c = GetParam();
    CodecHandle h = LoadFile(NoteJpeg(c));
    ExifBlock exif;
    ASSERT_TRUE(cGetImageEXIF_Info(*h, exif));
    bool bigEndian = !c.bigEndian;
    ASSERT_TRUE(exif.GetBigEndian(bigEndian));
    EXPECT_EQ(bigEndian, c.bigEndian);

    // The note is handed over as stored, at its offset from the TIFF header plus 12.
    std::vector<uint8_t> note;
    int32_t offset = 0;
    ASSERT_TRUE(exif.GetMakerNote(note));
    ASSERT_TRUE(exif.GetMakerNoteOffset(offset));
    ASSERT_GE(offset, 12);
    ASSERT_LE(offset - 12 + note.size(), block_.size());
    EXPECT_EQ(note, std::vector<uint8_t>(block_.begin() + (offset - 12), block_.begin() + (offset - 12) + note.size()));

    ExpectNoteRows(FormattedRows(*h), c);
}

TEST_P(MakerNote, SurvivesASaveAsJpegAndTiff) {
    const NoteCase& c = GetParam();
    CodecHandle h = LoadFile(NoteJpeg(c));
    ExifBlock exif;
    ASSERT_TRUE(cGetImageEXIF_Info(*h, exif));
    CExifFormatter formatter;
    formatter.Set(exif, 16, 8);
    // As the document saves: the maker note's ISO goes into the standard tag.
    ASSERT_TRUE(cEXIF_PutISOSpeed(exif, formatter.IsoSpeed()));
    ASSERT_TRUE(cEXIF_PutSoftware(exif, "Veltrano Stillpix"));
    ASSERT_TRUE(cPutImageEXIF_Info(*h, exif));

    for (const auto& [name, code] : {std::pair{"saved.jpg", 90}, {"saved.tif", kSaveCodeTiff}}) {
        const auto file = File(name);
        ASSERT_TRUE(cSave(*h, file, code)) << cGetLastError(*h);
        EXPECT_EQ(ExifTool(file, "EXIF:ISO"), c.nikon ? "400" : "100") << name;
        if (c.nikon) {
            EXPECT_EQ(ExifTool(file, "Nikon:ISO"), "400") << name;
        } else {
            EXPECT_EQ(ExifTool(file, "Canon:CameraISO"), "100") << name;
            EXPECT_EQ(ExifTool(file, "Canon:CanonImageType"), "IMG:EOS 5D JPEG") << name;
        }
        CodecHandle back = LoadFile(file);
        ExpectNoteRows(FormattedRows(*back), c);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, MakerNote,
                         ::testing::Values(NoteCase{"CanonIntel", false, false, false},
                                           NoteCase{"CanonMotorolaAfterApp0", true, true, false},
                                           NoteCase{"CanonIntelAfterApp0", false, true, false},
                                           NoteCase{"NikonMotorola", true, false, true},
                                           NoteCase{"NikonIntelAfterApp0", false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Metadata, TiffFileTaggedByExiftoolHandsOverItsMakerNote) {
    MakerNoteCase noteCase;
    noteCase.bigEndian = true;
    noteCase.note = CanonNote;
    const auto plain = File("plain.jpg");
    CodecHandle h = HandOver(SmoothPicture(16, 8, false));
    ASSERT_TRUE(cSave(*h, plain, 90));
    WriteJpegWithExif(ReadBytes(plain), ExifTiffBlock(noteCase), true, File("note.jpg"));
    // A TIFF file in the note's byte order (exiftool keeps a copied note's order).
    int status = 0;
    RunTool("/usr/bin/convert -size 16x8 gradient:red-blue -define tiff:endian=msb '" + File("target.tif").string() + "'", &status);
    ASSERT_EQ(status, 0);
    RunTool("exiftool -q -overwrite_original -TagsFromFile '" + File("note.jpg").string() + "' -all:all '" +
                File("target.tif").string() + "'",
            &status);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(ExifTool(File("target.tif"), "Canon:CameraISO"), "100");

    CodecHandle back = LoadFile(File("target.tif"));
    const Rows rows = FormattedRows(*back);
    for (const auto& row : Rows{{"Make", "Canon"}, {"ISO Speed", "ISO 100"}, {"Contrast", "Low"}})
        EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row.first;
}

TEST_F(Metadata, MakerNoteReplacedByOneZeroByte) {
    MakerNoteCase noteCase;
    noteCase.note = CanonNote;
    const auto plain = File("plain.jpg");
    CodecHandle h = HandOver(SmoothPicture(16, 8, false));
    ASSERT_TRUE(cSave(*h, plain, 90));
    const std::vector<uint8_t> block = ExifTiffBlock(noteCase);
    WriteJpegWithExif(ReadBytes(plain), block, false, File("note.jpg"));

    CodecHandle loaded = LoadFile(File("note.jpg"));
    ExifBlock exif;
    ASSERT_TRUE(cGetImageEXIF_Info(*loaded, exif));
    // About the size of the block as the camera wrote it.
    EXPECT_GE(cEXIF_GetJPEGBlockSize(exif) + 16, block.size() + 6);
    EXPECT_LE(cEXIF_GetJPEGBlockSize(exif), block.size() + 6 + 64);
    const uint8_t zero[] = {0};
    ASSERT_TRUE(cEXIF_PutMakerNote(exif, zero));
    std::vector<uint8_t> note;
    ASSERT_TRUE(exif.GetMakerNote(note));
    EXPECT_EQ(note, std::vector<uint8_t>{0});
    ASSERT_TRUE(cPutImageEXIF_Info(*loaded, exif));
    ASSERT_TRUE(cSave(*loaded, File("saved.jpg"), 90)) << cGetLastError(*loaded);

    CodecHandle back = LoadFile(File("saved.jpg"));
    ExifBlock saved;
    ASSERT_TRUE(cGetImageEXIF_Info(*back, saved));
    ASSERT_TRUE(saved.GetMakerNote(note));
    EXPECT_EQ(note, std::vector<uint8_t>{0});
    std::string make;
    EXPECT_TRUE(saved.GetMake(make));
    EXPECT_EQ(ExifTool(File("saved.jpg"), "Canon:CameraISO"), "");
}

TEST_F(Metadata, BrokenExifCostsOnlyTheMetadata) {
    const auto plain = File("plain.jpg");
    CodecHandle h = HandOver(SmoothPicture(16, 8, false));
    ASSERT_TRUE(cSave(*h, plain, 90));
    // A TIFF header whose first directory lies far outside the block, and one that loops.
    std::vector<uint8_t> outside = {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x7F};
    std::vector<uint8_t> looping = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x87, 0x69, 0, 4, 0, 0, 0, 1, 0, 0, 0, 8, 0, 0, 0, 8};
    for (const auto& block : {outside, looping}) {
        WriteJpegWithExif(ReadBytes(plain), block, true, File("broken.jpg"));
        CodecHandle back = LoadFile(File("broken.jpg"));
        const Picture picture = ReadBack(*back);
        EXPECT_EQ(picture.width, 16);
        ExifBlock exif;
        ASSERT_TRUE(cGetImageEXIF_Info(*back, exif));
        std::string make;
        EXPECT_FALSE(exif.GetMake(make));
    }
}

}  // namespace
}  // namespace stillpix::test
