#include "settings/custom_filters.h"

#include <algorithm>
#include <vector>

#include "settings/filter_order.h"
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
    // The order as it stands before this save, so that a new name goes last.
    std::vector<std::string> order;
    OrderedCustomFilterNames(store, order);
    const bool written = store.WriteBytes(kFilterSettingsGroup, key,
                                          std::vector<uint8_t>(bytes.begin(), bytes.end()));
    if (written) {
        if (std::find(order.begin(), order.end(), key) == order.end()) order.push_back(key);
        WriteCustomFilterOrder(store, order);  // without it the new filter still comes last
    }
    BuildPresetTable(store, table);
    SaveFilterResult result{written ? kSaved : kWriteFailed, {}};
    for (int i = kFirstCustomFilterSlot; i < table.count; ++i)
        if (table.slots[i].name == name) result.slot = i;
    return result;
}

bool DeleteCustomFilter(SettingsStore& store, PresetTable& table, std::string_view name) {
    std::vector<std::string> order;
    OrderedCustomFilterNames(store, order);
    const bool deleted = name.empty() || store.DeleteValue(kFilterSettingsGroup, std::string(name));
    const auto listed = std::find(order.begin(), order.end(), name);
    if (deleted && listed != order.end()) {
        order.erase(listed);
        WriteCustomFilterOrder(store, order);
    }
    BuildPresetTable(store, table);
    return deleted;
}

}  // namespace stillpix
