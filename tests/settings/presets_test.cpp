// Filter settings, their engine parameters worked out by hand, the built-in table and the
// custom filters in the real store.
#include <gtest/gtest.h>

#include <string>

#include "settings/custom_filters.h"
#include "settings/filter_order.h"
#include "settings/filter_settings.h"
#include "settings/preset_table.h"
#include "settings/record_codec.h"
#include "tests/support/store_test.h"

namespace stillpix {
namespace {

using test::StoreTest;
using Triples = std::array<std::array<int16_t, 3>, 4>;
using Outcome = SaveFilterOutcome;

PresetTable BuiltIns() {
    test::TempFolder folder;
    QSettingsStore store(folder.Path() / "empty.conf");
    PresetTable table;
    EXPECT_TRUE(BuildPresetTable(store, table));
    return table;
}

Triples Same(int16_t y, int16_t colour) {
    return {{{y, colour, colour}, {y, colour, colour}, {y, colour, colour}, {y, colour, colour}}};
}

struct ParamsCase {
    const char* name;
    int slot;  // a built-in preset, or -1 for `settings`
    FilterSettings settings;
    Triples adjustments, suppression;
    uint32_t sharpening, degree;
};

std::vector<ParamsCase> ParamsCases() {
    FilterSettings high, low, truncating, wild;
    high.processingDegree = 3, high.luminanceNoiseLevel = high.colourNoiseLevel = 40,
    high.sharpening = 5;
    low.luminanceNoiseLevel = low.colourNoiseLevel = -20, low.sharpening = -5;
    low.luminanceSuppression = low.colourSuppression = 0;
    for (int b = 0; b < 4; ++b)
        high.bandNoiseLevel[b] = low.bandNoiseLevel[b] = 40, low.bandSuppression[b] = 0;
    FilterSettings bandLow = high;
    bandLow.bandNoiseLevel[2] = -20;
    truncating.luminanceNoiseLevel = truncating.colourNoiseLevel = truncating.bandNoiseLevel[0] = 1;
    truncating.luminanceSuppression = 13, truncating.bandSuppression[0] = 7;
    wild.luminanceNoiseLevel = 1000000, wild.crWeight = 1 << 30, wild.bandSuppression[1] = -9,
    wild.sharpening = 99;
    // Adjustments: Y = L x B x 25 / 100 - 100 with L, B the levels + 20; Cr, Cb: t = (C + 20) x 20
    // x 25 / 100, then t x B x 5 / 100 - 100. Suppression: S x band x 25 / 100, then x 128 / 100.
    // clang-format off
    return {
        // 14 x 20 x 25 / 100 = 70, x 128 / 100 = 89; 16 x 20 x 25 / 100 = 80 -> 102.
        {"Default", 0, {}, Same(0, 0), Same(89, 102), 5, 0},
        // Bands 0, -2, -4, -10: 0, -10, -20, -50, and with colour level 0 the same for Cr, Cb.
        // Y 16 with 12, 16, 18, 18: 48 -> 61, 64 -> 81, 72 -> 92; colour 18: 54 -> 69, 72 -> 92, 81
        // -> 103.
        {"Landscape", 1, {}, {{{0, 0, 0}, {-10, -10, -10}, {-20, -20, -20}, {-50, -50, -50}}},
         {{{61, 69, 69}, {81, 92, 92}, {92, 103, 103}, {92, 103, 103}}}, 3, 3},
        // Y 16 with 12, 18, 20, 20: 61, 92, 102; colour 18: 69, 103, 115.
        {"NightScene", 2, {}, {{{0, 0, 0}, {10, 10, 10}, {20, 20, 20}, {50, 50, 50}}},
         {{{61, 69, 69}, {92, 103, 103}, {102, 115, 115}, {102, 115, 115}}}, 5, 0},
        // Colour 6: t = 26 x 20 x 25 / 100 = 130; t x (B + 20) x 5 / 100 - 100 = 30, 17, 4, -35.
        // 18 with 14, 18, 20, 20: 63 -> 80, 81 -> 103, 90 -> 115.
        {"Portrait", 3, {}, {{{0, 30, 30}, {-10, 17, 17}, {-20, 4, 4}, {-50, -35, -35}}},
         {{{80, 80, 80}, {103, 103, 103}, {115, 115, 115}, {115, 115, 115}}}, 3, 1},
        // 60 x 60 x 25 / 100 - 100 = 800; Cr: 60 x 20 x 25 / 100 = 300, 300 x 60 x 5 / 100 - 100 =
        // 800.
        {"Highest", -1, high, Same(800, 800), Same(128, 128), 10, 3},
        {"Lowest", -1, low, Same(-100, -100), Same(0, 0), 0, 0},
        {"OneBandSilenced", -1, bandLow,
         {{{800, 800, 800}, {800, 800, 800}, {-100, -100, -100}, {800, 800, 800}}}, Same(128, 128), 10, 3},
        // 21 x 21 x 25 = 11025 / 100 = 110; t = 105, 105 x 21 x 5 = 11025 / 100 = 110; the other
        // bands 105. 13 x 7 x 25 / 100 = 22, x 128 / 100 = 28 (not 29); 20 x 7: 35 -> 44; 13 x 20:
        // 65 -> 83.
        {"TruncatesInTheWrittenOrder", -1, truncating, {{{10, 10, 10}, {5, 5, 5}, {5, 5, 5}, {5, 5, 5}}},
         {{{28, 44, 44}, {83, 128, 128}, {83, 128, 128}, {83, 128, 128}}}, 5, 0},
        // Clamped first: luminance 40 (60 x 20 x 25 / 100 - 100 = 200), weight 20, band suppression
        // 0.
        {"ClampedFirst", -1, wild, Same(200, 0), {{{128, 128, 128}, {0, 0, 0}, {128, 128, 128}, {128, 128, 128}}},
         10, 0},
    };
    // clang-format on
}

class FilterParams : public ::testing::TestWithParam<ParamsCase> {};

TEST_P(FilterParams, WorkedOutByHand) {
    const ParamsCase& c = GetParam();
    const NoiseFilterParams p =
        ToNoiseFilterParams(c.slot >= 0 ? BuiltIns().slots[c.slot].settings : c.settings);
    Triples adjustments{}, suppression{};
    for (int b = 0; b < 4; ++b)
        for (int ch = 0; ch < 3; ++ch)
            adjustments[b][ch] = p.noiseLevelAdjustment[b][ch],
            suppression[b][ch] = p.suppression[b][ch];
    EXPECT_EQ(adjustments, c.adjustments);
    EXPECT_EQ(suppression, c.suppression);
    EXPECT_EQ(p.sharpening, c.sharpening);
    EXPECT_EQ(p.processingDegreeMode, c.degree);
    EXPECT_EQ(p.unused, 0u);  // and the fifth triples stay untouched
    for (int ch = 0; ch < 3; ++ch)
        EXPECT_EQ(p.noiseLevelAdjustment[4][ch] | p.suppression[4][ch], 0);
}

INSTANTIATE_TEST_SUITE_P(HandWorked, FilterParams, ::testing::ValuesIn(ParamsCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FilterSettingsRecord, SixtyFourLittleEndianBytes) {
    FilterSettings s;
    s.processingDegree = 2, s.luminanceNoiseLevel = -4, s.bandSuppression[3] = 7;
    const auto bytes = EncodeFilterSettings(s);
    EXPECT_EQ(GetI32(bytes, 0), 2);
    EXPECT_EQ(bytes[4], 0xFC);
    EXPECT_EQ(bytes[7], 0xFF);
    EXPECT_EQ(GetI32(bytes, 32), 20);  // Cr weight
    EXPECT_EQ(GetI32(bytes, 60), 7);
    FilterSettings back;
    ASSERT_TRUE(DecodeFilterSettings(bytes, back));
    EXPECT_EQ(back, s);
    EXPECT_FALSE(DecodeFilterSettings(std::span(bytes).first(63), back));
}

TEST(PresetTableBuild, BuiltInsCustomFindAndNoteChanges) {
    PresetTable table = BuiltIns();
    ASSERT_EQ(table.count, 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(table.slots[i].settings.crWeight + table.slots[i].settings.cbWeight, 40) << i;
    EXPECT_EQ(table.slots[kCustomSlot].name, "Custom");
    EXPECT_EQ(table.slots[14].settings, FilterSettings{});

    for (const char* portrait : {"3", "slot:3", "Portrait"})
        EXPECT_EQ(FindPreset(table, portrait), 3) << portrait;
    for (const char* missing : {"portrait", "15", "", "slot:15", "slot:", "slot:-1", "slot:3x"})
        EXPECT_EQ(FindPreset(table, missing), std::nullopt) << missing;
    EXPECT_EQ(NoteSettingsChange(table, 1, table.slots[1].settings), 1);  // nothing moved
    FilterSettings moved = table.slots[1].settings;
    moved.sharpening = 4;
    EXPECT_EQ(NoteSettingsChange(table, 1, moved), kCustomSlot);
    EXPECT_EQ(table.slots[kCustomSlot].settings, moved);
    EXPECT_EQ(table.slots[kCustomSlot].name, "Custom");
}

class CustomFilters : public StoreTest {
protected:
    void SetUp() override { ASSERT_TRUE(BuildPresetTable(store_, table_)); }
    SaveFilterResult Save(const std::string& name, int from = 1, bool overwrite = false) {
        return SaveCustomFilter(store_, table_, name, from, overwrite);
    }
    PresetTable Reloaded() {
        PresetTable table;
        QSettingsStore reopened(store_.File());
        EXPECT_TRUE(BuildPresetTable(reopened, table));
        return table;
    }
    void StoreRaw(const std::string& name, std::vector<uint8_t> bytes) {
        ASSERT_TRUE(store_.WriteBytes(kFilterSettingsGroup, name, bytes));
    }
    PresetTable table_;
};

TEST_F(CustomFilters, SavedFilterIsListedAfterTheBuiltInsWithTheRecordsBytes) {
    const SaveFilterResult r = Save("My Landscape");
    EXPECT_EQ(std::tuple(r.outcome, r.slot, r.message), std::tuple(Outcome::kSaved, 15, ""));
    const PresetTable again = Reloaded();
    ASSERT_EQ(again.count, 16);
    const FilterPreset& saved = again.slots[15];
    EXPECT_EQ(std::tuple(saved.name, saved.imageIndex, saved.settings),
              std::tuple("My Landscape", 5, again.slots[1].settings));
    const auto expected = EncodeFilterSettings(again.slots[1].settings);
    EXPECT_EQ(store_.ReadBytes(kFilterSettingsGroup, "My Landscape"),
              std::vector<uint8_t>(expected.begin(), expected.end()));
    // "Custom" is taken before the rebuild returns it to its built-in values.
    FilterSettings mine;
    mine.sharpening = -3;
    NoteSettingsChange(table_, 0, mine);
    const SaveFilterResult hand = Save("Hand made", kCustomSlot);
    ASSERT_EQ(hand.outcome, Outcome::kSaved);
    EXPECT_EQ(table_.slots[hand.slot].settings, mine);
    EXPECT_EQ(table_.slots[kCustomSlot].settings, FilterSettings{});
}

TEST_F(CustomFilters, NamingRules) {
    EXPECT_EQ(Save(std::string(64, 'n')).outcome, Outcome::kSaved);
    const SaveFilterResult tooLong = Save(std::string(65, 'n'));
    EXPECT_EQ(tooLong.outcome, Outcome::kNameTooLong);
    EXPECT_EQ(tooLong.message, "Name cannot be longer then 64 symbols.");
    std::string accents;
    for (int i = 0; i < 64; ++i) accents += "\xc3\xa9";  // 64 characters, 128 bytes
    EXPECT_EQ(Save(accents).outcome, Outcome::kSaved);
    const SaveFilterResult empty = Save("");
    EXPECT_EQ(empty.outcome, Outcome::kNameMissing);
    EXPECT_EQ(empty.message, "Please specify the Name for the settings.");
    // A built-in's name is not an overwrite: it makes a custom filter of that name.
    EXPECT_EQ(Save("Default", 2).outcome, Outcome::kSaved);
    EXPECT_EQ(table_.count, 18);
    // A custom filter's exact name wins over a built-in's and over a slot number.
    EXPECT_EQ(FindPreset(table_, "Default"), 17);
    EXPECT_EQ(FindPreset(table_, "slot:0"), 0);
    EXPECT_EQ(Save("3", 4).outcome, Outcome::kSaved);
    for (const auto& [name, slot] : {std::pair{"3", 18}, {"slot:3", 3}, {"4", 4}})
        EXPECT_EQ(FindPreset(table_, name), slot) << name;
    EXPECT_EQ(Save("x", 19).outcome, Outcome::kNoSuchSlot);
}

TEST_F(CustomFilters, ExistingNameAsksAndOverwritesOnYes) {
    ASSERT_EQ(Save("Mine", 1).outcome, Outcome::kSaved);
    const SaveFilterResult asked = Save("Mine", 2);
    EXPECT_EQ(asked.outcome, Outcome::kConfirmOverwrite);
    EXPECT_EQ(asked.message,
              "A Custom Filter Setting 'Mine' already exists. Do you want to overwrite it?");
    EXPECT_EQ(Reloaded().slots[15].settings, table_.slots[1].settings);  // nothing written yet
    EXPECT_EQ(Save("Mine", 2, true).outcome, Outcome::kSaved);
    const PresetTable again = Reloaded();
    EXPECT_EQ(again.count, 16);
    EXPECT_EQ(again.slots[15].settings, again.slots[2].settings);
}

// Stored slot numbers (the default filter, the batch filter) keep naming the same filter: a
// save appends, an overwrite stays put, only a delete moves the later ones up.
TEST_F(CustomFilters, SlotsKeepTheOrderOfSavingAcrossRestarts) {
    auto names = [](const PresetTable& table) {
        std::vector<std::string> out;
        for (int i = kFirstCustomFilterSlot; i < table.count; ++i)
            out.push_back(table.slots[i].name);
        return out;
    };
    using Names = std::vector<std::string>;
    // Written before the order was kept: listed by name, and that order stays.
    StoreRaw("Old b", std::vector<uint8_t>(64, 0));
    StoreRaw("Old a", std::vector<uint8_t>(64, 0));
    ASSERT_EQ(names(Reloaded()), (Names{"Old a", "Old b"}));
    for (const char* name : {"Zebra", "Apple", "Mango"})
        ASSERT_EQ(SaveCustomFilter(store_, table_, name, 1, false).outcome, Outcome::kSaved);
    const Names saved{"Old a", "Old b", "Zebra", "Apple", "Mango"};
    EXPECT_EQ(names(table_), saved);
    EXPECT_EQ(names(Reloaded()), saved);
    EXPECT_EQ(Save("Zebra", 3, true).outcome, Outcome::kSaved);
    EXPECT_EQ(names(Reloaded()), saved);
    ASSERT_TRUE(DeleteCustomFilter(store_, table_, "Old b"));
    EXPECT_EQ(Save("Banana").slot, 19);
    EXPECT_EQ(names(Reloaded()), (Names{"Old a", "Zebra", "Apple", "Mango", "Banana"}));
    // Saved by another instance since this table was built: still in its place.
    PresetTable stale = table_;
    ASSERT_EQ(Save("Kiwi").outcome, Outcome::kSaved);
    ASSERT_EQ(SaveCustomFilter(store_, stale, "Fig", 1, false).outcome, Outcome::kSaved);
    EXPECT_EQ(names(Reloaded()),
              (Names{"Old a", "Zebra", "Apple", "Mango", "Banana", "Kiwi", "Fig"}));
    // A damaged order value falls back to the store's order.
    ASSERT_TRUE(store_.WriteBytes(kOptionsGroup, kFilterOrderValue, {0xFF, 0xFF, 'x'}));
    EXPECT_EQ(names(Reloaded()),
              (Names{"Apple", "Banana", "Fig", "Kiwi", "Mango", "Old a", "Zebra"}));
}

TEST_F(CustomFilters, TwentyFiveAtMost) {
    for (int i = 0; i < kMaxCustomFilters; ++i)
        ASSERT_EQ(Save("Filter " + std::to_string(100 + i)).outcome, Outcome::kSaved) << i;
    ASSERT_EQ(table_.count, 40);
    const SaveFilterResult full = Save("One more");
    EXPECT_EQ(full.outcome, Outcome::kTableFull);
    EXPECT_EQ(full.message,
              "The maximum number of Custom Filters has been reached.\r\n"
              "Please delete an existing Custom Filter before adding a new one.");
    EXPECT_EQ(Save("Filter 107", 9, true).outcome, Outcome::kSaved);
    EXPECT_EQ(table_.count, 40);
    StoreRaw("Zzz", std::vector<uint8_t>(64, 0));  // a 26th value put in by hand is not loaded
    EXPECT_EQ(Reloaded().count, 40);
}

TEST_F(CustomFilters, DeleteRemovesTheValue) {
    ASSERT_EQ(Save("Gone soon").outcome, Outcome::kSaved);
    ASSERT_EQ(Save("Stays").outcome, Outcome::kSaved);
    EXPECT_TRUE(DeleteCustomFilter(store_, table_, "Gone soon"));
    EXPECT_EQ(table_.count, 16);
    EXPECT_EQ(table_.slots[15].name, "Stays");
    EXPECT_FALSE(store_.ReadBytes(kFilterSettingsGroup, "Gone soon").has_value());
    EXPECT_TRUE(DeleteCustomFilter(store_, table_, "Never there"));
    EXPECT_EQ(Reloaded().count, 16);
    EXPECT_EQ(WithName(kFilterDeleteQuestion, "Stays"), "Do you want to delete 'Stays'?");
}

TEST_F(CustomFilters, StoredValuesAreCheckedOnLoading) {
    FilterSettings wild;
    wild.luminanceNoiseLevel = 77, wild.cbWeight = 5000;
    const auto record = EncodeFilterSettings(wild);
    std::vector<uint8_t> withTail(record.begin(), record.end());
    withTail.push_back(0xEE);
    StoreRaw("a long", withTail);                      // first 64 bytes, clamped
    StoreRaw("b short", std::vector<uint8_t>(63, 0));  // refused
    ASSERT_TRUE(store_.WriteText(kFilterSettingsGroup, "c text", "hello"));  // refused
    StoreRaw("d fine", std::vector<uint8_t>(record.begin(), record.end()));
    StoreRaw(std::string(65, 'e'), withTail);  // no dialog makes such a name
    StoreRaw("f empty", {});                   // a value without data ends the list
    StoreRaw("g after", withTail);
    const PresetTable table = Reloaded();
    ASSERT_EQ(table.count, 17);
    const FilterPreset& clamped = table.slots[15];
    EXPECT_EQ(std::tuple(clamped.name, clamped.settings.luminanceNoiseLevel,
                         clamped.settings.cbWeight, table.slots[16].name),
              std::tuple("a long", 40, 20, "d fine"));

    QSettingsStore onFolder(folder_.Path());  // an unreadable store leaves the built-ins
    PresetTable builtIns;
    EXPECT_FALSE(BuildPresetTable(onFolder, builtIns));
    EXPECT_EQ(builtIns.count, 15);
    EXPECT_EQ(builtIns.slots[14].name, "Custom");
}

}  // namespace
}  // namespace stillpix
