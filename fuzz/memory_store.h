// A settings store held in memory for the settings target: values in the order they were first
// written, texts and raw bytes kept apart as the real store keeps them.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/settings_store.h"

namespace stillpix::fuzz {

class MemoryStore final : public SettingsStore {
public:
    std::optional<std::string> ReadText(const std::string& group,
                                        const std::string& name) override {
        const Entry* e = Find(group, name);
        if (e == nullptr || !std::holds_alternative<std::string>(e->value)) return std::nullopt;
        return std::get<std::string>(e->value);
    }
    std::optional<std::vector<uint8_t>> ReadBytes(const std::string& group,
                                                  const std::string& name) override {
        const Entry* e = Find(group, name);
        if (e == nullptr || !std::holds_alternative<std::vector<uint8_t>>(e->value))
            return std::nullopt;
        return std::get<std::vector<uint8_t>>(e->value);
    }
    bool WriteText(const std::string& group, const std::string& name,
                   const std::string& value) override {
        return Put(group, name, value);
    }
    bool WriteBytes(const std::string& group, const std::string& name,
                    const std::vector<uint8_t>& value) override {
        return Put(group, name, value);
    }
    bool ValueNames(const std::string& group, std::vector<std::string>& names) override {
        names.clear();
        for (const Entry& e : entries_)
            if (e.group == group) names.push_back(e.name);
        return !group.empty();
    }
    bool DeleteValue(const std::string& group, const std::string& name) override {
        if (group.empty() || name.empty()) return false;
        std::erase_if(entries_, [&](const Entry& e) { return e.group == group && e.name == name; });
        return true;
    }

private:
    using Value = std::variant<std::string, std::vector<uint8_t>>;
    struct Entry {
        std::string group, name;
        Value value;
    };

    const Entry* Find(const std::string& group, const std::string& name) const {
        const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
            return e.group == group && e.name == name;
        });
        return it == entries_.end() ? nullptr : &*it;
    }
    bool Put(const std::string& group, const std::string& name, Value value) {
        if (group.empty() || name.empty()) return false;
        if (auto* e = const_cast<Entry*>(Find(group, name))) {
            e->value = std::move(value);
        } else {
            entries_.push_back({group, name, std::move(value)});
        }
        return true;
    }

    std::vector<Entry> entries_;
};

}  // namespace stillpix::fuzz
