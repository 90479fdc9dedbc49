#include "settings/filter_order.h"

#include <algorithm>
#include <cstdint>

#include "settings/preset_table.h"

namespace stillpix {
namespace {

// The names of an order value; a damaged tail is dropped.
std::vector<std::string> DecodeOrder(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at + 2 <= bytes.size()) {
        const std::size_t length = bytes[at] | std::size_t{bytes[at + 1]} << 8;
        at += 2;
        if (length == 0 || length > bytes.size() - at) break;
        names.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                           bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    }
    return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

bool OrderedCustomFilterNames(SettingsStore& store, std::vector<std::string>& names) {
    std::vector<std::string> stored;
    if (!store.ValueNames(kFilterSettingsGroup, stored)) return false;
    names.clear();
    const auto order = store.ReadBytes(kOptionsGroup, kFilterOrderValue);
    for (const std::string& name : order ? DecodeOrder(*order) : std::vector<std::string>{})
        if (Contains(stored, name) && !Contains(names, name)) names.push_back(name);
    for (const std::string& name : stored)
        if (!Contains(names, name)) names.push_back(name);
    return true;
}

bool WriteCustomFilterOrder(SettingsStore& store, const std::vector<std::string>& names) {
    std::vector<uint8_t> bytes;
    for (const std::string& name : names) {
        if (name.empty() || name.size() > UINT16_MAX) continue;
        bytes.push_back(static_cast<uint8_t>(name.size()));
        bytes.push_back(static_cast<uint8_t>(name.size() >> 8));
        bytes.insert(bytes.end(), name.begin(), name.end());
    }
    return store.WriteBytes(kOptionsGroup, kFilterOrderValue, bytes);
}

}  // namespace stillpix
