// The commands of stillpix-cli, one source file each. Each gets the arguments after its name
// and returns the process exit status.
#pragma once

namespace stillpix::cli {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(int argc, char** argv);
};

int RunFilterCommand(int argc, char** argv);

// The table main() dispatches on; a new command adds one line here.
inline constexpr Command kCommands[] = {
    {"filter", "filter a PPM/PGM image with a given or built-in profile", RunFilterCommand},
};

}  // namespace stillpix::cli
