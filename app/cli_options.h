// The command line of stillpix-cli: positional arguments and --name[=value] options.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace stillpix::cli {

class CliArgs {
public:
    // `valueOptions` are the options that take a value ("--quality 90" or "--quality=90");
    // every other "--x" is a flag. False with a message on a malformed line.
    bool Parse(int argc, char** argv, const std::vector<std::string>& valueOptions,
               std::string& error);

    const std::vector<std::string>& Positional() const { return positional_; }
    bool Flag(const std::string& name) const { return flags_.count(name) != 0; }
    std::optional<std::string> Value(const std::string& name) const;
    // All values given for a repeatable option, in order.
    std::vector<std::string> Values(const std::string& name) const;
    // False with a message when the value is present but not an integer in [low, high].
    bool IntValue(const std::string& name, int low, int high, std::optional<int>& out,
                  std::string& error) const;
    // Options that were given but are in neither list: a typo must not pass silently.
    std::vector<std::string> Unknown(const std::vector<std::string>& knownFlags) const;

private:
    std::vector<std::string> positional_;
    std::map<std::string, int> flags_;
    std::multimap<std::string, std::string> values_;
    std::vector<std::string> valueOptions_;
};

}  // namespace stillpix::cli
