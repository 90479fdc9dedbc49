// Runs stillpix-cli (STILLPIX_CLI, the built program) as a child process with the arguments
// quoted for the shell, and collects its exit status and both output streams; shell helpers.
#pragma once

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace stillpix::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuoted(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

#ifdef STILLPIX_CLI
inline CliRun RunCli(const std::vector<std::string>& args) {
    const std::string base = (std::filesystem::temp_directory_path() /
                              ("stillpix-cli-run-" + std::to_string(::getpid())))
                                 .string();
    std::string command = ShellQuoted(STILLPIX_CLI);
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " >" + ShellQuoted(base + ".out") + " 2>" + ShellQuoted(base + ".err");
    CliRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(base + ".out");
    run.err = ReadText(base + ".err");
    std::filesystem::remove(base + ".out");
    std::filesystem::remove(base + ".err");
    return run;
}
#endif

// Runs a shell command line (ImageMagick, exiftool); true when it exited with status 0.
inline bool Shell(const std::string& command) {
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) && WEXITSTATUS(raw) == 0;
}

}  // namespace stillpix::test
