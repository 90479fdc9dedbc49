// EXIF and IPTC blocks through load and save, read back by exiftool; maker notes laid out as
// cameras store them reach the maker-note parsers. What a save keeps of a tagged photo in every
// format is the command line's round-trip test (metadata_roundtrip_test.cpp).
#include <algorithm>

#include "exif/exif_formatter.h"
#include "tests/codec/codec_test_support.h"
#include "tests/exif/fake_exif_source.h"
#include "tests/exif/maker_note_layouts.h"

namespace stillpix::test {
namespace {

using Bytes = std::vector<uint8_t>;

// An EXIF block as a camera lays it out: IFD0 with make and model, the EXIF IFD with the ISO tag
// (when iso > 0) and a maker note whose out-of-line values count from the TIFF header.
struct MakerNoteCase {
    bool bigEndian = false;
    std::string make = "Canon";
    int iso = 0;
    Bytes (*note)(bool bigEndian, uint32_t position) = nullptr;  // given where the note starts
};

Bytes ExifTiffBlock(const MakerNoteCase& c) {
    TiffBlockWriter w(c.bigEndian);
    w.TiffHeader();
    const std::size_t ifd0 = w.Directory(
        {w.Ascii(0x010F, c.make), w.Ascii(0x0110, "Test Model"), w.Long(0x8769, {0})}, 0);
    const std::size_t exifIfd = w.Size();
    w.PatchU32(ifd0 + 2 + 12 * 2 + 8, static_cast<uint32_t>(exifIfd));
    const std::size_t entries = (c.iso > 0 ? 1 : 0) + (c.note != nullptr ? 1 : 0);
    const auto notePosition = static_cast<uint32_t>(exifIfd + 2 + 12 * entries + 4);
    const Bytes note = c.note != nullptr ? c.note(c.bigEndian, notePosition) : Bytes{};
    Entries exifEntries;
    if (c.iso > 0) exifEntries.push_back(w.Short(0x8827, {static_cast<uint16_t>(c.iso)}));
    if (c.note != nullptr)
        exifEntries.push_back(
            w.Pointing(0x927C, 7, static_cast<uint32_t>(note.size()), notePosition));
    w.Directory(exifEntries, 0);
    for (uint8_t b : note) w.U8(b);
    return w.Bytes();
}

// Contrast low, ISO 100 (code 17), white balance sunny, and one text value out of line.
Bytes CanonCameraNote(bool bigEndian, uint32_t position) {
    TiffBlockWriter w(bigEndian);
    Entries entries = CanonLists(w, 65535, 0, 0, 17, 1);
    entries.push_back(w.Ascii(0x0006, "IMG:EOS 5D JPEG"));
    w.Directory(entries, -static_cast<int64_t>(position));
    return w.Bytes();
}

// ISO 400 in tag 2, and the quality text out of line from the note's own header.
Bytes NikonCameraNote(bool bigEndian, uint32_t) {
    return NikonNote(bigEndian, [](const TiffBlockWriter& w) {
        return Entries{w.Short(0x0002, {0, 400}), w.Ascii(0x0004, "NORMAL ")};
    });
}

// Writes `jpeg` with an EXIF segment holding `tiff` after the start marker, or after its first
// segment (the JFIF APP0) when `afterFirstSegment`.
void WriteJpegWithExif(const Bytes& jpeg, const Bytes& tiff, bool afterFirstSegment,
                       const std::filesystem::path& out) {
    ASSERT_GE(jpeg.size(), 6u);
    const std::size_t at = afterFirstSegment ? 4 + (std::size_t(jpeg[4]) << 8 | jpeg[5]) : 2;
    Bytes segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = static_cast<uint8_t>((segment.size() - 2) >> 8);
    segment[3] = static_cast<uint8_t>(segment.size() - 2);
    Bytes bytes(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(at));
    bytes.insert(bytes.end(), segment.begin(), segment.end());
    bytes.insert(bytes.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(at), jpeg.end());
    WriteFileBytes(out, bytes);
}

bool HasRow(const Rows& rows, const std::pair<std::string, std::string>& row) {
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

class Metadata : public CodecTest {
protected:
    // A small JPEG of our own (JFIF APP0 first), then tagged by exiftool.
    std::filesystem::path TaggedJpeg() {
        const auto file = File("tagged.jpg");
        EXPECT_TRUE(cSave(*HandOver(SmoothPicture(40, 30, false)), file, 90));
        EXPECT_TRUE(
            Shell("exiftool -q -overwrite_original -Make=Canon '-Model=Canon EOS 5D' -ISO=400"
                  " -ExposureTime=0.004 -FNumber=2.8 -ExposureCompensation=-0.67"
                  " '-DateTimeOriginal=2024:05:06 07:08:09' -XResolution=72 -YResolution=72"
                  " -ResolutionUnit=inches -Artist=Tester -IPTC:Keywords=noise -IPTC:Keywords=night"
                  " '-IPTC:Caption-Abstract=A test' " +
                  ShellQuoted(file)));
        return file;
    }
    // A plain JPEG of ours with `tiff` as its EXIF segment, first or after the JFIF APP0.
    std::filesystem::path JpegWithExif(const std::vector<uint8_t>& tiff, bool afterApp0) {
        EXPECT_TRUE(cSave(*HandOver(SmoothPicture(16, 8, false)), File("plain.jpg"), 90));
        WriteJpegWithExif(ReadFileBytes(File("plain.jpg")), tiff, afterApp0, File("exif.jpg"));
        return File("exif.jpg");
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
    EXPECT_EQ(FormattedRows(*h), (Rows{{"Make", "Canon"},
                                       {"Model", "Canon EOS 5D"},
                                       {"Width", "40"},
                                       {"Height", "30"},
                                       {"X Resolution", "72 dpi"},
                                       {"Y Resolution", "72 dpi"},
                                       {"ISO Speed", "ISO 400"},
                                       {"Aperture", "f2.8"},
                                       {"Shutter Speed", "1/250"},
                                       {"Exposure Bias", "-0.67"},
                                       {"Date Created", "2024:05:06 07:08:09"}}));
    IptcBlock iptc;
    ASSERT_TRUE(cGetImageIPTC_Info(*h, iptc));
    EXPECT_FALSE(iptc.Empty());
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
        MakerNoteCase noteCase;
        noteCase.bigEndian = c.bigEndian;
        noteCase.make = c.nikon ? "NIKON CORPORATION" : "Canon";
        noteCase.note = c.nikon ? NikonCameraNote : CanonCameraNote;
        block_ = ExifTiffBlock(noteCase);
        return JpegWithExif(block_, c.afterApp0);
    }
    // The rows the maker-note parsers add, after the standard ones.
    static void ExpectNoteRows(const Rows& rows, const NoteCase& c) {
        const Rows canon = {{"ISO Speed", "ISO 100"},
                            {"White Balance", "Sunny"},
                            {"Sharpness", "Normal"},
                            {"Contrast", "Low"},
                            {"Saturation", "Normal"}};
        for (const auto& row : c.nikon ? Rows{{"ISO Speed", "ISO 400"}} : canon)
            EXPECT_TRUE(HasRow(rows, row)) << row.first << " = " << row.second;
    }
    Bytes block_;
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
    EXPECT_EQ(note, std::vector<uint8_t>(block_.begin() + (offset - 12),
                                         block_.begin() + (offset - 12) + note.size()));
    ExpectNoteRows(FormattedRows(*h), c);
}

INSTANTIATE_TEST_SUITE_P(Layouts, MakerNote,
                         ::testing::Values(NoteCase{"CanonIntel", false, false, false},
                                           NoteCase{"CanonMotorolaAfterApp0", true, true, false},
                                           NoteCase{"CanonIntelAfterApp0", false, true, false},
                                           NoteCase{"NikonMotorola", true, false, true},
                                           NoteCase{"NikonIntelAfterApp0", false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Metadata, MakerNoteReplacedByOneZeroByte) {
    MakerNoteCase noteCase;
    noteCase.note = CanonCameraNote;
    const std::vector<uint8_t> block = ExifTiffBlock(noteCase);
    CodecHandle loaded = LoadFile(JpegWithExif(block, false));
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

    ExifBlock saved;
    ASSERT_TRUE(cGetImageEXIF_Info(*LoadFile(File("saved.jpg")), saved));
    ASSERT_TRUE(saved.GetMakerNote(note));
    EXPECT_EQ(note, std::vector<uint8_t>{0});
    std::string make;
    EXPECT_TRUE(saved.GetMake(make));
    EXPECT_EQ(ExifTool(File("saved.jpg"), "Canon:CameraISO"), "");
}

TEST_F(Metadata, BrokenExifCostsOnlyTheMetadata) {
    // A TIFF header whose first directory lies far outside the block, and one that loops.
    const std::vector<uint8_t> outside = {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0x7F};
    const std::vector<uint8_t> looping = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x87, 0x69, 0,
                                          4,   0,   0, 0,  1, 0, 0, 0, 8, 0, 0,    0,    8};
    for (const auto& block : {outside, looping}) {
        CodecHandle back = LoadFile(JpegWithExif(block, true));
        EXPECT_EQ(ReadBack(*back).width, 16);
        ExifBlock exif;
        ASSERT_TRUE(cGetImageEXIF_Info(*back, exif));
        std::string make;
        EXPECT_FALSE(exif.GetMake(make));
    }
}

}  // namespace
}  // namespace stillpix::test
