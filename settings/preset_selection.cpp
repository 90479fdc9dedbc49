#include "settings/preset_selection.h"

namespace stillpix {
namespace {

constexpr int kDegreeField = 0;
constexpr int kLastNoiseLevelField = 6;
constexpr int kSharpeningField = 7;
constexpr int kFirstSuppressionField = 10;

std::string Signed(int32_t shown) { return (shown >= 1 ? "+" : "") + std::to_string(shown); }

}  // namespace

PresetSelection SelectPreset(const PresetTable& table, int slot) {
    if (slot < 0 || slot >= table.count) slot = 0;
    return {table.slots[slot].settings, slot};
}

int PresetToSelect(const PresetTable& table, int defaultSlot, std::string_view name) {
    // The last slot of that name: a custom filter saved as "Default" is the one just saved.
    if (!name.empty())
        for (int i = table.count - 1; i >= 0; --i)
            if (table.slots[i].name == name) return i;
    return defaultSlot >= 0 && defaultSlot < table.count ? defaultSlot : 0;
}

bool CanDeleteFilterSettings(bool imageLoaded, const PresetTable& table, int selectedSlot) {
    return imageLoaded && selectedSlot > kCustomSlot && selectedSlot < table.count;
}

std::string FilterValueLabel(int field, int32_t value) {
    if (field == kDegreeField)
        return value >= 0 && value <= 3 ? kProcessingDegreeNames[value] : std::string();
    if (field >= 1 && field <= kLastNoiseLevelField) return Signed(value * 5) + "%";
    if (field == kSharpeningField) return Signed(value);
    if (field >= kFirstSuppressionField && field < kFilterFields)
        return std::to_string(value * 5) + "%";
    return {};
}

}  // namespace stillpix
