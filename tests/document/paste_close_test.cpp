// Paste and Copy through the window's clipboard, and the prompts of closing.
#include <cstring>

#include "document/document_texts.h"
#include "document_fixture.h"
#include "settings/filter_settings.h"

namespace stillpix::test {
namespace {

using ChosenPath = std::optional<std::filesystem::path>;

TEST_F(DocumentTest, PasteTakesTheClipboardBitmapAndCopyPutsTheResultBack) {
    EXPECT_FALSE(doc_->CanPaste());
    EXPECT_FALSE(doc_->Paste());
    EXPECT_EQ(window_.shown.back(),
              (UserMessage{MessageKind::kError, "Unable to paste from the Clipboard."}));
    EXPECT_FALSE(doc_->HasImage());

    FakeClipboard& clipboard = window_.clipboard;
    clipboard.header.width = 5;
    clipboard.header.height = 3;
    clipboard.header.bitCount = 32;
    for (int i = 0; i < 5 * 3 * 4; ++i) clipboard.bits.push_back(uint8_t(i * 4));
    ASSERT_TRUE(doc_->CanPaste());
    ASSERT_TRUE(doc_->Paste());
    const CBitmapEx& image = *doc_->Image();
    EXPECT_EQ(image.BitsPerPixel(), 24);
    EXPECT_EQ(image.Formatter().Labels(), (std::vector<std::string>{"Width", "Height"}));
    EXPECT_EQ(image.Display().stride, 16);
    // Bottom-up rows on both sides: row 0 of the clipboard is the bottom row.
    EXPECT_EQ(image.Display().Row(2)[3 * 1 + 2], clipboard.bits[4 * 1 + 2]);
    EXPECT_TRUE(doc_->SourcePath().empty());
    EXPECT_EQ(doc_->SuggestedSaveName(), "Untitled_filtered.jpg");

    EXPECT_FALSE(doc_->CanCopy());
    doc_->OnFirstShown();
    doc_->WaitForWorker();
    ASSERT_TRUE(doc_->Go());
    ASSERT_TRUE(doc_->Copy());
    BitmapInfoHeader header;
    ASSERT_GE(clipboard.packed.size(), sizeof header + 16 * 3);
    std::memcpy(&header, clipboard.packed.data(), sizeof header);
    EXPECT_EQ(header.width, 5);
    EXPECT_EQ(header.height, 3);
    EXPECT_EQ(header.bitCount, 24);
    EXPECT_TRUE(std::equal(image.Display().bits.begin(), image.Display().bits.end(),
                           clipboard.packed.end() - image.Display().bits.size()));
}

struct CloseCase {
    MessageAnswer answer;
    bool choosePath;  // the file dialog gives a path (else it is cancelled)
    CloseAction action;
    bool saved;
};
class ClosePrompt : public DocumentTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(ClosePrompt, AnUnsavedProcessedImageAsksFirst) {
    const CloseCase& c = GetParam();
    const auto source = File("photo.png");
    WriteScene(source, 30, 20);
    OpenAndProfile(source);
    ASSERT_TRUE(doc_->Go());
    window_.shown.clear();
    window_.answers = {c.answer};
    std::string offered;
    const auto choose = [&](const std::string& suggested) -> ChosenPath {
        offered = suggested;
        return c.choosePath ? ChosenPath(File("saved.png")) : std::nullopt;
    };
    EXPECT_EQ(doc_->FileClose(choose), c.action);
    ASSERT_FALSE(window_.shown.empty());
    EXPECT_EQ(window_.shown[0],
              (UserMessage{MessageKind::kQuestion,
                           "The image has not been saved. Do you want to save it?",
                           MessageButtons::kYesNoCancel}));
    EXPECT_EQ(std::filesystem::exists(File("saved.png")), c.saved);
    EXPECT_EQ(doc_->HasImage(), c.action == CloseAction::kKept);
    if (c.answer == MessageAnswer::kYes) {
        EXPECT_EQ(offered, (folder_.Path() / "photo_filtered.jpg").string());
    }
    if (c.action == CloseAction::kClosed) {
        EXPECT_EQ(window_.status[0], "For Help, press F1");
    }
    // Once saved, closing asks nothing.
    if (c.saved) {
        EXPECT_EQ(window_.shown.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryAnswer, ClosePrompt,
    ::testing::Values(CloseCase{MessageAnswer::kCancel, false, CloseAction::kKept, false},
                      CloseCase{MessageAnswer::kNo, false, CloseAction::kClosed, false},
                      CloseCase{MessageAnswer::kYes, true, CloseAction::kClosed, true},
                      CloseCase{MessageAnswer::kYes, false, CloseAction::kKept, false}));

TEST_F(DocumentTest, ASavedImageFilteredAgainAsksAgainOnClose) {
    WriteScene(File("photo.png"), 30, 20);
    OpenAndProfile(File("photo.png"));
    ASSERT_TRUE(doc_->Go());
    ASSERT_TRUE(doc_->SaveDocument(File("saved.png")));
    EXPECT_TRUE(doc_->Job().saved.load());
    doc_->FilterParametersChanged(ToNoiseFilterParams(FilterSettings{.luminanceNoiseLevel = 8}));
    ASSERT_TRUE(doc_->Go());  // the new parameters filter every tile again
    window_.shown.clear();
    window_.answers = {MessageAnswer::kCancel};
    EXPECT_EQ(doc_->FileClose([](const std::string&) { return ChosenPath(); }), CloseAction::kKept);
    EXPECT_EQ(window_.shown.size(), 1u);
}

TEST(DisplayText, KeepsTheWordsAndBreaksTheLineAtEachCrLf) {
    EXPECT_EQ(DisplayText(kNotEntirelyProcessed),
              "The image has not been entirely processed.\nDo you want to process the image now "
              "and then save it?");
    EXPECT_EQ(DisplayText("a\r\n\r\nb\rc\n"), "a\n\nb\rc\n");
}

TEST_F(DocumentTest, AnImageNotProcessedClosesWithoutAsking) {
    WriteScene(File("photo.png"), 30, 20);
    OpenAndProfile(File("photo.png"));
    EXPECT_EQ(doc_->FileClose([](const std::string&) { return ChosenPath(); }),
              CloseAction::kClosed);
    EXPECT_TRUE(window_.shown.empty());
    EXPECT_FALSE(doc_->HasImage());
}

}  // namespace
}  // namespace stillpix::test
