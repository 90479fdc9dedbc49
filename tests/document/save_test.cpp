// Saving: the naming rules, metadata carried into the file (read back by exiftool), bit depth
// and JPEG quality as ImageMagick sees them.
#include "document/save_names.h"
#include "document_fixture.h"

namespace stillpix::test {
namespace {

struct NameCase {
    const char* base;
    bool appendSuffix;
    const char* suggested;
};
class SuggestedNames : public ::testing::TestWithParam<NameCase> {};
TEST_P(SuggestedNames, CutAtTheLastDotOfTheNameThenSuffixAndJpg) {
    EXPECT_EQ(SuggestedSaveName(GetParam().base, GetParam().appendSuffix, "_filtered"),
              GetParam().suggested);
}
INSTANTIATE_TEST_SUITE_P(
    HandWorked, SuggestedNames,
    ::testing::Values(NameCase{"/photos/beach.jpg", true, "/photos/beach_filtered.jpg"},
                      NameCase{"/photos/beach.final.tif", true, "/photos/beach.final_filtered.jpg"},
                      NameCase{"/photos/beach", true, "/photos/beach_filtered.jpg"},
                      NameCase{"/photos/beach.png", false, "/photos/beach.jpg"},
                      // A dot in a folder is no extension.
                      NameCase{"/photos/2024.06/beach", true, "/photos/2024.06/beach_filtered.jpg"},
                      NameCase{"Untitled", true, "Untitled_filtered.jpg"}));

struct CodeCase {
    const char* name;
    int code;
};
class FormatCodes : public ::testing::TestWithParam<CodeCase> {};
TEST_P(FormatCodes, TiffPngOrTheJpegQuality) {
    EXPECT_EQ(SaveFormatCode(GetParam().name, 77), GetParam().code);
}
INSTANTIATE_TEST_SUITE_P(HandWorked, FormatCodes,
                         ::testing::Values(CodeCase{"a.tiff", 18}, CodeCase{"a.TIF", 18},
                                           CodeCase{"a.Tiff", 18}, CodeCase{"a.PNG", 11},
                                           CodeCase{"a.png", 11}, CodeCase{"a.bmp", 77},
                                           CodeCase{"a.jpg", 77}, CodeCase{"tif", 77},
                                           CodeCase{"a.tif.gz", 77}));

TEST(SaveNames, DefaultExtensionAndTypeRewriting) {
    EXPECT_EQ(WithDefaultExtension("/out/result"), "/out/result.jpg");
    EXPECT_EQ(WithDefaultExtension("/out.d/result"), "/out.d/result.jpg");
    EXPECT_EQ(WithDefaultExtension("/out/result.png"), "/out/result.png");
    EXPECT_EQ(RewriteNameForType("/d/photo.JPEG", kSaveTypeJpeg), "photo.jpeg");
    EXPECT_EQ(RewriteNameForType("photo.png", kSaveTypeJpeg), "photo.jpg");
    EXPECT_EQ(RewriteNameForType("photo.TIFF", kSaveTypeTiff), "photo.tiff");
    EXPECT_EQ(RewriteNameForType("photo.jpe", kSaveTypeTiff), "photo.tif");
    EXPECT_EQ(RewriteNameForType("/d/photo", kSaveTypePng), "photo.png");
}

struct SaveCase {
    const char* source;
    const char* sourceOptions;
    const char* target;
    int quality;
    bool sixteen;
    const char* format;  // ImageMagick's %m
    int depth;           // ImageMagick's %z
};
class SaveFormats : public DocumentTest, public ::testing::WithParamInterface<SaveCase> {};

TEST_P(SaveFormats, WritesTheFormatDepthQualityAndMetadata) {
    const SaveCase& c = GetParam();
    const auto source = File(c.source);
    WriteScene(source, 64, 48, c.sourceOptions);
    TagAsCamera(source, 800, "-Software=Camera-Firmware");
    ASSERT_TRUE(doc_->OnOpenDocument(source));
    ASSERT_TRUE(doc_->HasImage());
    const auto target = File(c.target);
    std::string error;
    ASSERT_TRUE(
        doc_->Image()->Save(target, c.quality, c.sixteen, TiffCompression::kDeflate, &error))
        << error;
    EXPECT_EQ(Identify(target, "%m:%z"), std::string(c.format) + ":" + std::to_string(c.depth));
    if (std::string(c.format) == "JPEG") {
        EXPECT_EQ(Identify(target, "%Q"), std::to_string(c.quality));
    }
    // What the file carries is the round-trip test's; the document's own block keeps what was
    // loaded.
    EXPECT_STREQ(doc_->Image()->Formatter().Descriptor().software, "Camera-Firmware");
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, SaveFormats,
    ::testing::Values(
        SaveCase{"a.jpg", "-quality 95", "out.jpg", 37, true, "JPEG", 8},
        // The quality that is also TIFF's format code stays a JPEG quality.
        SaveCase{"a.jpg", "-quality 95", "out.jpeg", 18, true, "JPEG", 8},
        SaveCase{"a.jpg", "-quality 95", "out.bmp", 60, true, "JPEG", 8},
        SaveCase{"a.tif", "-depth 16", "out.tif", 90, true, "TIFF", 16},
        SaveCase{"a.tif", "-depth 16", "out.TIFF", 90, false, "TIFF", 8},
        SaveCase{"a.tif", "-depth 16 -colorspace Gray", "out.png", 90, true, "PNG", 16},
        SaveCase{"a.png", "-depth 8 -colorspace Gray", "out.tif", 90, true, "TIFF", 8}));

// Saves under full disks, read-only folders and killed processes are in tests/faults.
TEST_F(DocumentTest, AFailedSaveSaysSoAndASaveOverTheSourceReplacesIt) {
    const auto source = File("in.png");
    WriteScene(source, 80, 60, "-attenuate 0.4 +noise Gaussian");
    OpenAndProfile(source);
    ASSERT_TRUE(doc_->Go());
    const auto target = File("nowhere/kept.jpg");
    EXPECT_FALSE(doc_->SaveDocument(File("nowhere/kept")));  // ".jpg" is added
    ASSERT_FALSE(window_.shown.empty());
    EXPECT_EQ(
        window_.shown.back(),
        (UserMessage{MessageKind::kError, "Failed to save file \"" + target.string() + "\"."}));
    EXPECT_FALSE(doc_->Job().saved.load());

    window_.shown.clear();
    ASSERT_TRUE(doc_->SaveDocument(source));
    EXPECT_TRUE(window_.shown.empty());
    EXPECT_TRUE(doc_->Job().saved.load());
    EXPECT_EQ(Identify(source, "%m:%wx%h"), "PNG:80x60");
    EXPECT_EQ(ExifTool(source, "EXIF:Software"), "Veltrano Stillpix");
}

TEST_F(DocumentTest, SavingAskesToProcessFirstAndNoSavesNothing) {
    WriteScene(File("in.png"), 40, 30);
    OpenAndProfile(File("in.png"));
    window_.answers = {MessageAnswer::kNo};
    EXPECT_FALSE(doc_->SaveDocument(File("out.png")));
    EXPECT_FALSE(std::filesystem::exists(File("out.png")));
    ASSERT_EQ(window_.shown.size(), 1u);
    EXPECT_EQ(window_.shown[0].text,
              "The image has not been entirely processed.\r\nDo you want to process the image now "
              "and then save it?");
    // Yes processes every tile, then saves.
    EXPECT_TRUE(doc_->SaveDocument(File("out.png")));
    EXPECT_EQ(doc_->UnfilteredTiles(), 0);
    EXPECT_TRUE(std::filesystem::exists(File("out.png")));
}

}  // namespace
}  // namespace stillpix::test
