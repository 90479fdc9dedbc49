// The per-user settings store: groups of named values, each a text or raw bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stillpix {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Absent values, and values of the other kind, read as nullopt.
    virtual std::optional<std::string> ReadText(const std::string& group, const std::string& name) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadBytes(const std::string& group,
                                                          const std::string& name) = 0;
    // Each write reaches the backing file before it returns; false when it could not.
    virtual bool WriteText(const std::string& group, const std::string& name, const std::string& value) = 0;
    virtual bool WriteBytes(const std::string& group, const std::string& name,
                            const std::vector<uint8_t>& value) = 0;
    // Value names of a group, in the store's order.
    virtual std::vector<std::string> ValueNames(const std::string& group) = 0;
    virtual bool DeleteValue(const std::string& group, const std::string& name) = 0;
};

}  // namespace stillpix
