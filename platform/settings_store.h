// The per-user settings store: groups of named values, each a text or raw bytes.
// Group and value names are arbitrary byte strings (a custom filter's name is a value name);
// an empty name is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stillpix {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // Absent values, values of the other kind and an unreadable store read as nullopt.
    virtual std::optional<std::string> ReadText(const std::string& group,
                                                const std::string& name) = 0;
    virtual std::optional<std::vector<uint8_t>> ReadBytes(const std::string& group,
                                                          const std::string& name) = 0;
    // Each write reaches the backing file before it returns; false when it could not.
    virtual bool WriteText(const std::string& group, const std::string& name,
                           const std::string& value) = 0;
    virtual bool WriteBytes(const std::string& group, const std::string& name,
                            const std::vector<uint8_t>& value) = 0;
    // Value names of a group, in the store's order; false when the store cannot be read
    // (an absent group is empty, not an error).
    virtual bool ValueNames(const std::string& group, std::vector<std::string>& names) = 0;
    // Removing a value that does not exist succeeds; false only when the file could not be written.
    virtual bool DeleteValue(const std::string& group, const std::string& name) = 0;
};

}  // namespace stillpix
