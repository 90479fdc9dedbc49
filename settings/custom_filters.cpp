#include "settings/custom_filters.h"

#include <vector>

#include "settings/record_codec.h"

namespace stillpix {

std::string WithName(std::string_view question, std::string_view name) {
    std::string text(question);
    if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, name);
    return text;
}

SaveFilterResult SaveCustomFilter(SettingsStore& store, PresetTable& table, std::string_view name,
                                  int fromSlot, bool overwriteConfirmed) {
    using enum SaveFilterOutcome;
    if (Utf8Length(name) > kMaxFilterNameChars) return {kNameTooLong, kFilterNameTooLongMessage};
    if (name.empty()) return {kNameMissing, kFilterNameMissingMessage};
    // Only custom filters are searched: saving as "Default" makes a custom filter of that name.
    bool overwrites = false;
    for (int i = kFirstCustomFilterSlot; i < table.count; ++i)
        if (table.slots[i].name == name) overwrites = true;
    if (overwrites && !overwriteConfirmed)
        return {kConfirmOverwrite, WithName(kFilterOverwriteQuestion, name)};
    if (table.count >= kPresetSlots && !overwrites) return {kTableFull, kFilterTableFullMessage};
    if (fromSlot < 0 || fromSlot >= table.count) return {kNoSuchSlot, {}};

    // Taken before the rebuild, which returns "Custom" to its built-in values.
    const auto bytes = EncodeFilterSettings(table.slots[fromSlot].settings);
    const std::string key(name);
    const bool written = store.WriteBytes(kFilterSettingsGroup, key,
                                          std::vector<uint8_t>(bytes.begin(), bytes.end()));
    BuildPresetTable(store, table);
    SaveFilterResult result{written ? kSaved : kWriteFailed, {}};
    for (int i = kFirstCustomFilterSlot; i < table.count; ++i)
        if (table.slots[i].name == name) result.slot = i;
    return result;
}

bool DeleteCustomFilter(SettingsStore& store, PresetTable& table, std::string_view name) {
    const bool deleted = name.empty() || store.DeleteValue(kFilterSettingsGroup, std::string(name));
    BuildPresetTable(store, table);
    return deleted;
}

}  // namespace stillpix
