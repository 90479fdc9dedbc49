// The commands of stillpix-cli, one source file each. A command file registers itself with a
// namespace-scope `CommandRegistration`; main() dispatches on the name. Each command gets the
// arguments after its name and returns the process exit status.
#pragma once

#include <vector>

namespace stillpix::cli {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(int argc, char** argv);
};

// Commands in registration order (the order of the object files; main() sorts by name).
std::vector<Command>& Commands();

struct CommandRegistration {
    CommandRegistration(const char* name, const char* summary, int (*run)(int, char**)) {
        Commands().push_back({name, summary, run});
    }
};

}  // namespace stillpix::cli
