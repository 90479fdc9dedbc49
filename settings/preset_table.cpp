#include "settings/preset_table.h"

#include <charconv>
#include <vector>

#include "settings/filter_order.h"
#include "settings/record_codec.h"

namespace stillpix {
namespace {

struct BuiltInPreset {
    const char* name;
    // Fields 0..7 and 10..15 as listed; the channel weights (8, 9) are always 20.
    int32_t degree, luminance, colour, high, mid, low, veryLow, sharpening;
    int32_t supLuminance, supColour, supHigh, supMid, supLow, supVeryLow;
    int32_t image;
};

// clang-format off
constexpr BuiltInPreset kBuiltIns[kBuiltInPresets + 1] = {
    {"Default",               0,  0, 0, 0,  0,  0,   0,  0, 14, 16, 20, 20, 20, 20, kImageGeneral},
    {"Landscape",             3,  0, 0, 0, -2, -4, -10, -2, 16, 18, 12, 16, 18, 18, kImageLandscape},
    {"Night Scene",           0,  0, 0, 0,  2,  4,  10,  0, 16, 18, 12, 18, 20, 20, kImageNightScene},
    {"Portrait",              1,  0, 6, 0, -2, -4, -10, -2, 18, 18, 14, 18, 20, 20, kImagePortrait},
    {"Film Grain Effect",     0,  0, 0, 0,  0,  0,   0,  0, 18, 20,  8, 16, 20, 20, kImageFilmGrain},
    {"Stronger noise",        0,  4, 4, 0,  0,  0,   0,  0, 14, 16, 20, 20, 20, 20, kImageGeneral},
    {"Stronger luma noise",   0,  8, 2, 0,  0,  0,   0,  0, 14, 16, 20, 20, 20, 20, kImageGeneral},
    {"Stronger color noise",  0,  2, 8, 0,  0,  0,   0,  0, 14, 16, 20, 20, 20, 20, kImageGeneral},
    {"Weaker noise",          0, -4,-4, 0,  0,  0,   0,  0, 14, 16, 20, 20, 20, 20, kImageGeneral},
    {"Full suppression",      1,  0, 0, 0,  0,  0,   0,  0, 20, 20, 20, 20, 20, 20, kImageFullSuppression},
    {"Full (stronger noise)", 1,  4, 4, 0,  0,  0,   0,  0, 20, 20, 20, 20, 20, 20, kImageFullSuppression},
    {"Full (stronger luma)",  1,  8, 2, 0,  0,  0,   0,  0, 20, 20, 20, 20, 20, 20, kImageFullSuppression},
    {"Full (stronger color)", 1,  2, 8, 0,  0,  0,   0,  0, 20, 20, 20, 20, 20, 20, kImageFullSuppression},
    {"Full (weaker noise)",   1, -4,-4, 0,  0,  0,   0,  0, 20, 20, 20, 20, 20, 20, kImageFullSuppression},
    {"Custom",                0,  0, 0, 0,  0,  0,   0,  0, 20, 20, 20, 20, 20, 20, kImageCustom},
};
// clang-format on

FilterSettings SettingsOf(const BuiltInPreset& p) {
    return FilterSettingsFromValues({p.degree, p.luminance, p.colour, p.high, p.mid, p.low,
                                     p.veryLow, p.sharpening, 20, 20, p.supLuminance, p.supColour,
                                     p.supHigh, p.supMid, p.supLow, p.supVeryLow});
}

bool IsStorableName(const std::string& name) {
    return !name.empty() && Utf8Length(name) <= kMaxFilterNameChars;
}

bool LoadCustomFilters(SettingsStore& store, PresetTable& table) {
    std::vector<std::string> names;
    if (!OrderedCustomFilterNames(store, names)) return false;
    for (const std::string& name : names) {
        if (table.count >= kPresetSlots) break;
        const auto data = store.ReadBytes(kFilterSettingsGroup, name);
        if (data && data->empty()) break;
        FilterPreset& slot = table.slots[table.count];
        // A text value, a value shorter than a record or a name no dialog could have given
        // is not one of ours.
        if (!data || !IsStorableName(name) || !DecodeFilterSettings(*data, slot.settings)) continue;
        slot.name = name;
        slot.imageIndex = kCustomFilterImage;
        ++table.count;
    }
    return true;
}

}  // namespace

bool BuildPresetTable(SettingsStore& store, PresetTable& table) {
    table = PresetTable{};
    for (int i = 0; i <= kCustomSlot; ++i) {
        table.slots[i].name = kBuiltIns[i].name;
        table.slots[i].settings = SettingsOf(kBuiltIns[i]);
        table.slots[i].imageIndex = kBuiltIns[i].image;
    }
    table.count = kCustomSlot + 1;
    return LoadCustomFilters(store, table);
}

std::optional<int> FindPreset(const PresetTable& table, std::string_view nameOrSlot) {
    auto slotNumber = [&](std::string_view digits) -> std::optional<int> {
        int slot = -1;
        const char* end = digits.data() + digits.size();
        const auto [at, error] = std::from_chars(digits.data(), end, slot);
        if (digits.empty() || error != std::errc() || at != end) return std::nullopt;
        return slot;
    };
    auto inTable = [&](std::optional<int> slot) -> std::optional<int> {
        if (slot && *slot >= 0 && *slot < table.count) return slot;
        return std::nullopt;
    };
    constexpr std::string_view kSlotPrefix = "slot:";
    if (nameOrSlot.starts_with(kSlotPrefix))
        return inTable(slotNumber(nameOrSlot.substr(kSlotPrefix.size())));
    // A custom filter may be called "Default" or "3": the user's own name comes first.
    for (int i = kFirstCustomFilterSlot; i < table.count; ++i)
        if (table.slots[i].name == nameOrSlot) return i;
    for (int i = 0; i < kFirstCustomFilterSlot && i < table.count; ++i)
        if (table.slots[i].name == nameOrSlot) return i;
    return inTable(slotNumber(nameOrSlot));
}

int NoteSettingsChange(PresetTable& table, int selectedSlot, const FilterSettings& current) {
    if (selectedSlot >= 0 && selectedSlot < table.count &&
        table.slots[selectedSlot].settings == current)
        return selectedSlot;
    table.slots[kCustomSlot].settings = current;
    return kCustomSlot;
}

}  // namespace stillpix
