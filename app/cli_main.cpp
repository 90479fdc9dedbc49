// stillpix-cli: the program's flows without a window, for scripts and tests.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/cli_commands.h"
#include "platform/memory_pages.h"

namespace stillpix::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace stillpix::cli

namespace {

void PrintUsage(std::FILE* out) {
    std::fprintf(out, "usage: stillpix-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& command : stillpix::cli::Commands())
        std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
    std::fprintf(out, "\n'stillpix-cli COMMAND --help' describes one command.\n");
}

}  // namespace

int main(int argc, char** argv) {
    // Image-sized blocks fault in far faster on huge pages.
    stillpix::RestartWithHugePages(argv);
    auto& commands = stillpix::cli::Commands();
    std::sort(commands.begin(), commands.end(),
              [](const auto& a, const auto& b) { return std::strcmp(a.name, b.name) < 0; });
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    for (const auto& command : commands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    std::fprintf(stderr, "stillpix-cli: unknown command \"%s\"\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
