// The order of the custom filters. The store lists its values by name, but other records name a
// filter by its slot, so the order of saving is kept beside the filters as the value
// "FilterOrder" of "Options": each name as a 16-bit little-endian length and its bytes.
#pragma once

#include <string>
#include <vector>

#include "platform/settings_store.h"
#include "settings/persisted_settings.h"

namespace stillpix {

inline constexpr char kFilterOrderValue[] = "FilterOrder";

// The custom filters' names in slot order: those the kept order lists, in its order, then any
// others (written before the order was kept, or by hand) in the store's order. False when the
// store cannot be read.
bool OrderedCustomFilterNames(SettingsStore& store, std::vector<std::string>& names);

// Stores `names` as the order; false when the store refused the write.
bool WriteCustomFilterOrder(SettingsStore& store, const std::vector<std::string>& names);

}  // namespace stillpix
