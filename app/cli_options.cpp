#include "app/cli_options.h"

#include <algorithm>
#include <charconv>

namespace stillpix::cli {

bool CliArgs::Parse(int argc, char** argv, const std::vector<std::string>& valueOptions,
                    std::string& error) {
    valueOptions_ = valueOptions;
    auto takesValue = [&](const std::string& name) {
        return std::find(valueOptions.begin(), valueOptions.end(), name) != valueOptions.end();
    };
    bool onlyPositional = false;
    for (int i = 0; i < argc; ++i) {
        std::string arg = argv[i];
        // "-o" is the short spelling of "--o".
        if (!onlyPositional && arg.size() == 2 && arg[0] == '-' && arg[1] != '-') arg = "-" + arg;
        if (onlyPositional || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
            if (arg == "--") {
                onlyPositional = true;
                continue;
            }
            positional_.push_back(arg);
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (takesValue(name)) {
            if (!value) {
                if (i + 1 >= argc) {
                    error = "option --" + name + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            values_.emplace(name, *value);
        } else {
            if (value) {
                error = "option --" + name + " takes no value";
                return false;
            }
            ++flags_[name];
        }
    }
    return true;
}

std::optional<std::string> CliArgs::Value(const std::string& name) const {
    const auto range = values_.equal_range(name);
    if (range.first == range.second) return std::nullopt;
    return std::prev(range.second)->second;  // the last one given wins
}

std::vector<std::string> CliArgs::Values(const std::string& name) const {
    std::vector<std::string> out;
    const auto range = values_.equal_range(name);
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
    return out;
}

bool CliArgs::IntValue(const std::string& name, int low, int high, std::optional<int>& out,
                       std::string& error) const {
    const auto text = Value(name);
    if (!text) return true;
    int v = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || end != text->data() + text->size() || v < low || v > high) {
        error = "--" + name + " expects a whole number from " + std::to_string(low) + " to " +
                std::to_string(high) + ", not \"" + *text + "\"";
        return false;
    }
    out = v;
    return true;
}

std::vector<std::string> CliArgs::Unknown(const std::vector<std::string>& knownFlags) const {
    std::vector<std::string> unknown;
    for (const auto& [name, n] : flags_)
        if (std::find(knownFlags.begin(), knownFlags.end(), name) == knownFlags.end())
            unknown.push_back("--" + name);
    return unknown;
}

}  // namespace stillpix::cli
