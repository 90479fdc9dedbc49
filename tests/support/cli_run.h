// Runs stillpix-cli (STILLPIX_CLI, the built program; tests that use it are built with the CLI
// option of stillpix_add_test) and collects its exit status and both output streams.
#pragma once

#include <string>
#include <vector>

#include "tests/support/shell.h"
#include "tests/support/temp_folder.h"

namespace stillpix::test {

// A sanitized program cannot run under an address-space limit (prlimit --as): its shadow memory
// takes terabytes of address space. Tests that need one skip there; the Release build runs them.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define STILLPIX_SANITIZED_BUILD 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || \
    defined(STILLPIX_SANITIZED_BUILD)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

#ifdef STILLPIX_CLI
// `prefix` goes in front of the program: limits such as "prlimit --as=1073741824 timeout 60".
inline CliRun RunCli(const std::vector<std::string>& args, const std::string& prefix = "") {
    const TempFolder streams;
    std::string command = prefix + " " + ShellQuoted(std::string(STILLPIX_CLI));
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    CliRun run;
    RunShell(command + " >" + ShellQuoted(streams / "out") + " 2>" + ShellQuoted(streams / "err"),
             &run.status);
    run.out = ReadText(streams / "out");
    run.err = ReadText(streams / "err");
    return run;
}
#endif

}  // namespace stillpix::test
