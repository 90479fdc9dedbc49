// Embedded ICC profiles under each "Embedded ICC profiles" mode: asked, converted or kept, and
// the saved file carries the profile again with its pixels back in it.
#include "document_fixture.h"
#include "tests/support/icc_profiles.h"

namespace stillpix::test {
namespace {

std::vector<int> RawRgb(const std::filesystem::path& file) {
    const std::string raw = RunShell("convert " + ShellQuoted(file) + " -depth 8 rgb:-");
    return std::vector<int>(reinterpret_cast<const unsigned char*>(raw.data()),
                            reinterpret_cast<const unsigned char*>(raw.data()) + raw.size());
}

struct IccCase {
    const char* label;
    IccMode mode;
    IccAnswer answer;
    bool asked;
    bool converted;
    int storedMode;  // the option afterwards
};

class IccModes : public DocumentTest, public ::testing::WithParamInterface<IccCase> {};

TEST_P(IccModes, AskConvertOrKeepAndSaveBackIntoTheProfile) {
    const IccCase& c = GetParam();
    const auto source = File("tagged.png");
    WriteTaggedPng(source, WideRgbProfile("Wide Test RGB"));
    options_.settings2.iccHandling = static_cast<int32_t>(c.mode);
    window_.iccAnswer = c.answer;
    ASSERT_TRUE(doc_->OnOpenDocument(source));
    ASSERT_TRUE(doc_->HasImage());
    const CBitmapEx& image = *doc_->Image();
    EXPECT_EQ(image.IccProfileName(), "Wide Test RGB");
    EXPECT_EQ(image.IccConverted(), c.converted);
    ASSERT_EQ(window_.iccPrompts.size(), c.asked ? 1u : 0u);
    if (c.asked) {
        EXPECT_EQ(window_.iccPrompts[0], (UserMessage{MessageKind::kQuestion,
                                                      "An embedded ICC profile 'Wide Test RGB' has "
                                                      "been detected. Do you want to apply the "
                                                      "ICC profile?",
                                                      MessageButtons::kYesNo}));
    }
    EXPECT_EQ(options_.settings2.iccHandling, c.storedMode);
    EXPECT_EQ(LoadSettings(store_, folder_.Path()).settings2.iccHandling,
              c.answer.remember ? c.storedMode : 0);

    // Converted pixels differ from the file's; saving puts them back and embeds the profile.
    const auto original = RawRgb(source);
    int shownDiff = 0;
    for (int x = 0; x < 16; ++x)
        shownDiff =
            std::max(shownDiff, std::abs(image.Display().Row(0)[3 * x + 2] - original[3 * x]));
    EXPECT_EQ(shownDiff > 4, c.converted) << shownDiff;
    const auto saved = File("saved.png");
    ASSERT_TRUE(image.Save(saved, 90, true, TiffCompression::kDeflate));
    EXPECT_EQ(ExifTool(saved, "ICC_Profile:ProfileDescription"), "Wide Test RGB");
    const auto back = RawRgb(saved);
    ASSERT_EQ(back.size(), original.size());
    for (std::size_t i = 0; i < back.size(); ++i) ASSERT_NEAR(back[i], original[i], 2) << i;
}

INSTANTIATE_TEST_SUITE_P(
    EveryMode, IccModes,
    ::testing::Values(IccCase{"AskYes", IccMode::kAsk, {true, false}, true, true, 0},
                      IccCase{"AskYesRemembered", IccMode::kAsk, {true, true}, true, true, 1},
                      IccCase{"AskNoRemembered", IccMode::kAsk, {false, true}, true, false, 2},
                      IccCase{"ApplyOnOpen", IccMode::kApplyOnOpen, {}, false, true, 1},
                      IccCase{"DoNotApply", IccMode::kDoNotApply, {}, false, false, 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DocumentTest, AProfileNamedSrgbIsNeverAskedAboutNorConverted) {
    WriteTaggedPng(File("srgb.png"), WideRgbProfile("My sRGB variant"));
    options_.settings2.iccHandling = 0;
    ASSERT_TRUE(doc_->OnOpenDocument(File("srgb.png")));
    EXPECT_TRUE(window_.iccPrompts.empty());
    EXPECT_FALSE(doc_->Image()->IccConverted());
    EXPECT_EQ(doc_->Image()->IccProfileName(), "My sRGB variant");
}

}  // namespace
}  // namespace stillpix::test
