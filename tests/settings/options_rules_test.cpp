// The options sheet's rules without windows: every control's record field at its stored offset,
// the zoom and suffix forms, the default filter by name, names as typed, values as text, and
// the two buttons that act at once.
#include <gtest/gtest.h>

#include "learned_fixtures.h"
#include "settings/custom_filters.h"
#include "settings/options_pages.h"
#include "settings/record_codec.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

// The 32-bit word at `offset` of record 1, 2 or 3 as it is stored.
int32_t Stored(const AppOptions& o, int record, std::size_t offset) {
    if (record == 1) return GetI32(EncodeAppSettings(o.settings), offset);
    if (record == 2) return GetI32(EncodeAppSettings2(o.settings2), offset);
    return GetI32(EncodeAppSettings3(o.settings3), offset);
}

class OptionsRules : public test::StoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(BuildPresetTable(store_, presets_)); }
    PresetTable presets_;
    AppOptions options_;
};

TEST_F(OptionsRules, EveryNumberControlShowsAndStoresItsOwnField) {
    struct Case {
        const char* name;
        int record;
        std::size_t offset;
        int32_t held, shown;  // the field's value, the control's value
        int32_t set, stored;  // a control value, the stored word
    };
    // clang-format off
    const Case cases[] = {
        {"Show \"Open File Dialog\" on startup", 1, 4, 1, 1, 0, 0},
        {"Image default zoom value", 1, 12, 25, 25, 150, 150},
        {"Embedded ICC profiles", 2, 44, 2, 2, 1, 1},
        {"Append default suffix to the original name", 1, 20, 0, 0, 1, 1},
        {"JPEG Quality", 1, 48, 77, 77, 101, 100},
        {"Tiff bit rate", 2, 8, 1, 1, 0, 0},
        {"Tiff compression", 2, 4, 2, 2, 5, 2},
        {"Update Preview Window when filter parameters changed", 1, 52, 1, 1, 0, 0},
        {"Preview Window update delay (seconds)", 1, 60, 4, 4, 0, 1},
        {"Show Automatic Preview Information when turning the preview ON on the toolbar",
         3, 16, 1, 0, 1, 0},
        {"Default Filter Settings", 1, 64, 30, 0, 4, 104},  // 30: past the 15 slots in use
        {"Reset to default Filter Settings when new image opened", 1, 68, 0, 0, 1, 1},
        {"Show summary window after processing", 1, 72, 1, 1, 0, 0},
        {"Enable Profile Self-Learning", 2, 24, 0, 0, 1, 1},
        {"Always Build Noise Profile for the Loaded Image", 2, 28, 1, 1, 0, 0},
        {"Enable Self-Learning Profile Builder while processing the Batch", 2, 32, 0, 0, 1, 1},
        {"Do not build image profile if sufficient data is available as a result of "
         "Self-Learning", 2, 36, 1, 1, 0, 0},
        {"Batch Process Priority", 3, 20, 1, 1, 0, 0},
        {"Show notification window when a folder or files have been added to the Batch from "
         "the Image Browser", 2, 40, 0, 0, 1, 1},
        {"Recently used folder list", 3, 4, 3, 3, 11, 10},
    };
    // clang-format on
    int numberFields = 0;
    for (const OptionField& f : OptionFields()) numberFields += f.field != nullptr;
    EXPECT_EQ(numberFields, static_cast<int>(std::size(cases)));
    for (const Case& c : cases) {
        const OptionField* field = FindOptionField(c.name);
        ASSERT_NE(field, nullptr) << c.name;
        AppOptions o;
        *field->field(o) = c.held;
        EXPECT_EQ(ControlValue(*field, o, presets_), c.shown) << c.name;
        StoreControlValue(*field, c.set, o);
        EXPECT_EQ(Stored(o, c.record, c.offset), c.stored) << c.name;
    }
}

TEST_F(OptionsRules, ZoomSuffixAndFolderForms) {
    const std::pair<const char*, int32_t> zooms[] = {
        {"25%", 25},    {"150%", 150}, {"Best Fit", 0},
        {"150", 150},   {" 50 %", 50}, {"-25%", 0},
        {"+200%", 200}, {"", 0},       {"99999999999%", INT32_MAX}};
    for (const auto& [text, zoom] : zooms) EXPECT_EQ(ZoomFromText(text), zoom) << text;
    EXPECT_EQ(ZoomText(0), "Best Fit");
    EXPECT_EQ(ZoomText(150), "150%");

    const OptionField& suffix = *FindOptionField("Default suffix");
    StoreControlText(suffix, "_abcdefghijklmnopqrstuvwx", options_);  // 25 characters
    EXPECT_EQ(ControlText(suffix, options_), "_abcdefghijklmnopqrs");
    StoreControlText(suffix, "_n", options_);  // the old tail does not survive
    EXPECT_EQ(std::string(options_.settings.defaultSuffix, 21),
              std::string("_n") + std::string(19, '\0'));
    StoreControlText(suffix,
                     "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                     "\xC3\xA9\xC3\xA9\xC3\xA9",
                     options_);  // 11 x "é", 22 bytes
    EXPECT_EQ(ControlText(suffix, options_).size(), 20u);

    const OptionField& folder = *FindOptionField("Profile Folder:");
    options_.profileFolder = "/old";
    StoreControlText(folder, "", options_);
    EXPECT_EQ(options_.profileFolder, "/old");
    StoreControlText(folder, "/new/place", options_);
    EXPECT_EQ(ControlText(folder, options_), "/new/place");
}

TEST_F(OptionsRules, DefaultFilterIsTheChosenRowElseTheFirstOfItsName) {
    ASSERT_TRUE(SaveCustomFilter(store_, presets_, "Portrait", 1, false).slot == 15);
    EXPECT_EQ(DefaultSlotForChoice(presets_, 15, "Portrait", 7), 15);
    EXPECT_EQ(DefaultSlotForChoice(presets_, 2, "Portrait", 7), 3);
    EXPECT_EQ(DefaultSlotForChoice(presets_, 2, "No such filter", 7), 7);
}

TEST_F(OptionsRules, NamesAsTypedAndValuesAsText) {
    const std::pair<const char*, const char*> names[] = {
        {"jpeg", "JPEG Quality"},
        {"profile folder", "Profile Folder:"},
        {"show open file dialog on startup", "Show \"Open File Dialog\" on startup"},
        {"RECENTLY-used", "Recently used folder list"},
        {"show", nullptr},  // several controls
        {"", nullptr},
        {"colour", nullptr}};
    for (const auto& [typed, name] : names) {
        const OptionField* field = LookUpOptionField(typed);
        EXPECT_EQ(field ? field->name : nullptr, name ? FindOptionField(name)->name : nullptr)
            << typed;
    }

    struct Case {
        const char* name;
        const char* text;
        const char* shown;  // null: refused, with `error` as the message's start
        const char* error;
    };
    const Case cases[] = {
        {"JPEG Quality", "80", "80", ""},
        {"JPEG Quality", "101", nullptr, "Please enter an integer between 0 and 100."},
        {"Recently used folder list", "11", nullptr, "Please enter an integer between 1 and 10."},
        {"Recently used folder list", "2x", nullptr, "Please enter an integer between 1 and 10."},
        {"Enable Profile Self-Learning", "OFF", "off", ""},
        {"Enable Profile Self-Learning", "maybe", nullptr, "expects on or off"},
        {"Show Automatic Preview Information when turning the preview ON on the toolbar", "off",
         "off", ""},
        {"Batch Process Priority", "low", "Low", ""},
        {"Embedded ICC profiles", "2", "Do not apply", ""},
        {"Embedded ICC profiles", "3", nullptr, "expects one of"},
        {"Image default zoom value", "best fit", "Best Fit", ""},
        {"Image default zoom value", "150%", "150%", ""},
        {"Image default zoom value", "fit", nullptr, "expects a percentage"},
        {"Default Filter Settings", "Portrait", "Portrait", ""},
        {"Default Filter Settings", "Nothing", nullptr, "names no filter preset"},
        {"Default suffix", "_clean", "_clean", ""},
        {"Profile Folder:", "/var/../srv/profiles", "/srv/profiles", ""},
    };
    for (const Case& c : cases) {
        const OptionField& field = *FindOptionField(c.name);
        AppOptions before;
        before.settings3.hideAutoPreviewNotice = 0;
        AppOptions o = before;
        std::string error;
        EXPECT_EQ(SetOptionFromText(field, c.text, o, presets_, error), c.shown != nullptr)
            << c.name << " " << c.text;
        if (c.shown) {
            EXPECT_EQ(OptionValueText(field, o, presets_), c.shown) << c.name;
        } else {
            EXPECT_TRUE(error.starts_with(c.error)) << error;
            EXPECT_EQ(EncodeAppSettings(o.settings), EncodeAppSettings(before.settings));
            EXPECT_EQ(OptionValueText(field, o, presets_),
                      OptionValueText(field, before, presets_));
        }
    }
    // The inverted box: switched off it hides the notice.
    std::string error;
    ASSERT_TRUE(
        SetOptionFromText(*LookUpOptionField("show automatic"), "off", options_, presets_, error));
    EXPECT_EQ(options_.settings3.hideAutoPreviewNotice, 1);
}

TEST_F(OptionsRules, PagesOpenAcceptAndEnable) {
    options_.settings2.tiffDepth = 7;
    EXPECT_FALSE(PrepareOptionsPage(OptionsPage::kNoiseFilter, options_));
    EXPECT_TRUE(PrepareOptionsPage(OptionsPage::kGeneral, options_));
    EXPECT_EQ(options_.settings2.tiffDepth, kTiffDepth24);
    EXPECT_FALSE(PrepareOptionsPage(OptionsPage::kGeneral, options_));

    options_.settings.reserved8 = options_.settings.reserved56 = 0;
    AcceptOptionsPage(OptionsPage::kGeneral, options_);
    EXPECT_EQ(options_.settings.reserved8 * 10 + options_.settings.reserved56, 10);
    AcceptOptionsPage(OptionsPage::kNoiseFilter, options_);
    EXPECT_EQ(options_.settings.reserved56, 1);

    for (const EnablingRule& rule : EnablingRules()) {  // every rule names real controls
        EXPECT_TRUE(FindOptionField(rule.by)) << rule.by;
        EXPECT_TRUE(FindOptionField(rule.control) || rule.control == std::string(kTiffNote));
    }
    EXPECT_EQ(IntegerRangeMessage(1, 10), "Please enter an integer between 1 and 10.");
}

TEST_F(OptionsRules, ClearRecentStoresEmptyTextInAllTenValues) {
    std::vector<std::string> recent = {"/a/", "/b/", "/c/"};
    ASSERT_TRUE(SaveRecentFolders(store_, recent, 10));
    options_.settings3.recentLength = 2, options_.profileFolder = "/p";
    EXPECT_TRUE(ClearRecentFolders(store_, options_, recent));
    EXPECT_TRUE(recent.empty());
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(store_.ReadText(kOptionsGroup, "Recent" + std::to_string(i)), "") << i;
    EXPECT_EQ(store_.ReadText(kOptionsGroup, kProfileValue), "/p");  // the options were saved
}

TEST_F(OptionsRules, DeletingWaitsForNoRunAndEmptiesTheStore) {
    LearnedProfileStore profiles(folder_.Path() / "profiles");
    ASSERT_TRUE(profiles.AddLearnedProfile(
        "/a.jpg", test::Record(test::Descriptor({}), test::UniformProfile(40, 900))));
    EXPECT_EQ(DeleteLearnedProfiles(profiles, true), DeleteProfilesResult::kWorkerRunning);
    EXPECT_EQ(profiles.Count(), 1);
    EXPECT_EQ(DeleteLearnedProfiles(profiles, false), DeleteProfilesResult::kDeleted);
    EXPECT_EQ(profiles.Count(), 0);
    LearnedProfileStore nowhere;
    EXPECT_EQ(DeleteLearnedProfiles(nowhere, false), DeleteProfilesResult::kNotWritten);
}

}  // namespace
}  // namespace stillpix
