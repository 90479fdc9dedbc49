// Opening every format and depth: the display bitmap (padded rows, grey as 8 bits), the 16-bit
// samples and the copy as the program holds them, and files that do not open. The pixels against
// ImageMagick's decoding are the codec's tests (foreign_files_test.cpp, roundtrip_test.cpp).
#include <sys/stat.h>

#include <cstring>

#include "document/document_texts.h"
#include "document/file_opener.h"
#include "document_fixture.h"
#include "platform/memory_budget.h"
#include "tests/support/icc_profiles.h"

namespace stillpix::test {
namespace {

struct OpenCase {
    const char* name;
    const char* convertOptions;
    int bitsPerPixel;  // of the file as the document reports it
    int displayBits;
    bool grey;
};

class OpenFormats : public DocumentTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenFormats, DisplayBitmapSamplesAndCopyInTheProgramsLayout) {
    const OpenCase& c = GetParam();
    constexpr int kWidth = 37, kHeight = 23;  // odd: every row is padded
    const auto file = File(c.name);
    WriteScene(file, kWidth, kHeight, c.convertOptions);
    ASSERT_TRUE(doc_->OnOpenDocument(file));
    ASSERT_TRUE(doc_->HasImage()) << window_.shown.back().text;
    const CBitmapEx& image = *doc_->Image();
    EXPECT_EQ(image.BitsPerPixel(), c.bitsPerPixel);
    EXPECT_EQ(image.BitsPerPixelText(), std::to_string(c.bitsPerPixel) + " bpp");
    EXPECT_EQ(image.Grey(), c.grey);
    const DisplayBitmap& display = image.Display();
    const int channels = c.grey ? 1 : 3;
    EXPECT_EQ(display.bitCount, c.displayBits);
    EXPECT_EQ(display.stride, (kWidth * channels + 3) / 4 * 4);
    ASSERT_EQ(display.bits.size(), std::size_t(display.stride) * kHeight);
    const bool sixteen = c.bitsPerPixel == 48 || c.bitsPerPixel == 16;
    ASSERT_EQ(image.Samples16().size(), sixteen ? std::size_t(kWidth) * kHeight * channels : 0u);

    // The untouched copy starts equal to the image.
    ASSERT_NE(image.Unprocessed(), nullptr);
    EXPECT_EQ(image.Unprocessed()->Display().bits, display.bits);
    EXPECT_EQ(image.Unprocessed()->Samples16(), image.Samples16());
    EXPECT_EQ(window_.status[1], "Size: 37x23");
    EXPECT_EQ(doc_->Job().tiles.count, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, OpenFormats,
    ::testing::Values(OpenCase{"colour.jpg", "-quality 95", 24, 24, false},
                      OpenCase{"grey.jpg", "-colorspace Gray -quality 95", 8, 8, true},
                      OpenCase{"colour8.png", "-depth 8", 24, 24, false},
                      OpenCase{"colour16.png", "-depth 16", 48, 24, false},
                      OpenCase{"grey16.png", "-colorspace Gray -depth 16", 16, 8, true},
                      OpenCase{"colour8.tif", "-depth 8", 24, 24, false},
                      OpenCase{"colour16.tif", "-depth 16", 48, 24, false},
                      OpenCase{"grey8.tif", "-colorspace Gray -depth 8", 8, 8, true},
                      OpenCase{"colour.bmp", "-type TrueColor", 24, 24, false},
                      OpenCase{"palette.gif", "-colors 64", 24, 24, false},
                      // 32 bits with transparency open as colour.
                      OpenCase{"alpha.png",
                               "-alpha set -channel A -evaluate set 60% +channel -depth 8", 24, 24,
                               false},
                      OpenCase{"alpha.tif",
                               "-alpha set -channel A -evaluate set 60% +channel -depth 8", 24, 24,
                               false}),
    [](const auto& info) {
        std::string n = info.param.name;
        n[n.find('.')] = '_';
        return n;
    });

TEST_F(DocumentTest, AFileThatDoesNotDecodeLeavesTheDocumentEmpty) {
    WriteScene(File("good.png"), 40, 30);
    ASSERT_TRUE(doc_->OnOpenDocument(File("good.png")));
    const auto broken = File("broken.jpg");
    WriteFileBytes(broken, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F'});
    // The step itself succeeds; the image is gone and the message names the file.
    EXPECT_TRUE(doc_->OnOpenDocument(broken));
    EXPECT_FALSE(doc_->HasImage());
    EXPECT_FALSE(doc_->Loaded());
    EXPECT_EQ(doc_->Job().tiles.count, 0);
    // The window's title follows: the good file's name, then nothing of it.
    EXPECT_EQ(window_.titles, (std::vector<std::string>{"good.png", "Untitled"}));
    EXPECT_EQ(doc_->SuggestedSaveName(), "Untitled_filtered.jpg");
    ASSERT_FALSE(window_.shown.empty());
    EXPECT_EQ(
        window_.shown.back(),
        (UserMessage{MessageKind::kError, "Cannot open file " + broken.string() +
                                              ". \r\nUnsupported format or file not found."}));
    // A file that cannot be read at all fails the step and keeps what was open.
    WriteScene(File("good.png"), 40, 30);
    ASSERT_TRUE(doc_->OnOpenDocument(File("good.png")));
    EXPECT_FALSE(doc_->OnOpenDocument(File("missing.png")));
    EXPECT_EQ(window_.shown.back(), (UserMessage{MessageKind::kError, "Failed to open document."}));
    EXPECT_TRUE(doc_->HasImage());
    EXPECT_EQ(doc_->IdleStatusText(), kStatusGo);
}

TEST_F(DocumentTest, WhatCannotBeReadOrHeldIsRefusedBeforeDecoding) {
    const auto fifo = File("pipe.jpg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(doc_->OnOpenDocument(fifo));  // at once: nothing waits for a writer
    EXPECT_EQ(window_.shown.back().text, kFailedToOpenDocument);
    EXPECT_EQ(doc_->LastOpenError(), fifo.string() + ": not a regular file (a FIFO)");

    const auto big = File("big.png");
    WriteScene(big, 3000, 2000);
    LimitAvailableMemoryForTesting(uint64_t{100} << 20);
    EXPECT_TRUE(doc_->OnOpenDocument(big));
    LimitAvailableMemoryForTesting(0);
    EXPECT_FALSE(doc_->HasImage());
    const std::string lead = "Cannot open file " + big.string() +
                             ". \r\nNot enough memory for the 3000 x 2000 image: needs ";
    EXPECT_EQ(window_.shown.back().text.substr(0, lead.size()), lead);
    EXPECT_TRUE(window_.shown.back().text.ends_with(", 100.0 MiB available."))
        << window_.shown.back().text;
    EXPECT_TRUE(doc_->OnOpenDocument(big));
    EXPECT_TRUE(doc_->HasImage());
}

TEST_F(DocumentTest, OpeningSelectsTheDefaultPresetOrKeepsTheShownOne) {
    WriteScene(File("a.png"), 20, 20);
    options_.settings.defaultFilterSlot = 3;
    options_.settings.resetFilterOnOpen = 1;
    ASSERT_TRUE(doc_->OnOpenDocument(File("a.png")));
    EXPECT_EQ(window_.selectedPreset, 3);
    options_.settings.resetFilterOnOpen = 0;
    ASSERT_TRUE(doc_->OnOpenDocument(File("a.png")));
    EXPECT_EQ(window_.selectedPreset, 7);
    EXPECT_EQ(doc_->Title(), "a.png");
}

class BackgroundOpen : public DocumentTest {
protected:
    BackgroundOpen() {
        background_ = std::make_unique<CNoiseCleanerDoc>(
            DocumentContext{&options_, &store_, &profiles_, &events_, true}, window_);
        window_.doc = background_.get();
        WriteTaggedPng(File("tagged.png"), WideRgbProfile("Wide Test RGB"));
        options_.settings2.iccHandling = 0;
    }
    std::unique_ptr<CNoiseCleanerDoc> background_;
};

TEST_F(BackgroundOpen, DecodesOffTheWindowThreadAndAsksTheIccPromptOnIt) {
    CNoiseCleanerDoc& doc = *background_;
    FileOpener opener(doc);
    window_.iccAnswer = {true, true};
    options_.settings.resetFilterOnOpen = 0;
    EXPECT_EQ(opener.OpenFile(File("tagged.png")), OpenResult::kDecoding);
    EXPECT_TRUE(doc.Opening());
    EXPECT_FALSE(doc.HasImage());
    WriteScene(File("next.png"), 30, 20);
    EXPECT_EQ(opener.OpenFile(File("next.png")), OpenResult::kDeferred);  // waits for the decode
    events_.RunUntilDecoded();
    EXPECT_EQ(window_.iccThread, std::this_thread::get_id());
    EXPECT_FALSE(doc.HasImage());  // nothing is adopted before the window's thread takes it
    ASSERT_TRUE(doc.FinishOpen());
    EXPECT_TRUE(doc.Image()->IccConverted());
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.iccHandling, 1);
    EXPECT_EQ(window_.titles.back(), "tagged.png");
    EXPECT_EQ(window_.status[1], "Size: 16x8");
    EXPECT_EQ(window_.selectedPreset, 7);

    EXPECT_EQ(opener.OnIdle(), OpenResult::kDecoding);
    events_.RunUntilDecoded();
    ASSERT_TRUE(doc.FinishOpen());
    EXPECT_EQ(doc.Title(), "next.png");
    EXPECT_EQ(window_.iccPrompts.size(), 1u);
}

TEST_F(BackgroundOpen, AnAbandonedOpenNeitherWaitsForThePromptNorAsksItLater) {
    CNoiseCleanerDoc& doc = *background_;
    ASSERT_TRUE(doc.BeginOpenDocument(File("tagged.png")));
    events_.RunUntilDecoded(/*untilPosted=*/true);  // the loader waits for the prompt's answer
    doc.AbandonOpen();
    EXPECT_FALSE(doc.Opening());
    EXPECT_FALSE(doc.HasImage());
    events_.RunPosted();
    EXPECT_TRUE(window_.iccPrompts.empty());
    // A file that cannot be read fails at once, as the direct open does.
    EXPECT_FALSE(doc.BeginOpenDocument(File("missing.png")));
    EXPECT_EQ(window_.shown.back(), (UserMessage{MessageKind::kError, "Failed to open document."}));
}

}  // namespace
}  // namespace stillpix::test
