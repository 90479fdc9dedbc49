// Runs command lines through the shell (ImageMagick, exiftool, the program itself) with every
// argument quoted, and reads back what the independent tools say about a file.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/exiftool.h"

namespace stillpix::test {

// One shell word, whatever the text holds ('"$`\ and spaces included).
inline std::string ShellQuoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
inline std::string ShellQuoted(const std::filesystem::path& path) {
    return ShellQuoted(path.string());
}

// The command's standard output; its exit status in `status` (-1 when it did not exit).
inline std::string RunShell(const std::string& command, int* status = nullptr) {
    std::string out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        if (status != nullptr) *status = -1;
        return out;
    }
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int raw = ::pclose(pipe);
    if (status != nullptr) *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

// True when the command exited with status 0.
inline bool Shell(const std::string& command) {
    int status = -1;
    RunShell(command, &status);
    return status == 0;
}

inline std::string WithoutTrailingNewlines(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// exiftool's value of one tag ("-s3"), "" when absent.
inline std::string ExifTool(const std::filesystem::path& file, const std::string& tag) {
    return WithoutTrailingNewlines(ExifToolRun({"-s3", "-" + tag, file.string()}));
}

// Several tags in one run, "-" for each one absent.
inline std::vector<std::string> ExifTool(const std::filesystem::path& file,
                                         const std::vector<std::string>& tags) {
    std::vector<std::string> args = {"-s3", "-f"};
    for (const std::string& tag : tags) args.push_back("-" + tag);
    args.push_back(file.string());
    const std::string out = ExifToolRun(args);
    std::vector<std::string> values;
    for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos;
         start = end + 1)
        values.push_back(out.substr(start, end - start));
    return values;
}

// identify's `format` ("%m %z", ...) of the file's first frame.
inline std::string Identify(const std::filesystem::path& file,
                            const std::string& format = "%m %z %[channels]") {
    return WithoutTrailingNewlines(RunShell("identify -format " + ShellQuoted(format) + " " +
                                            ShellQuoted(file.string() + "[0]") + " 2>/dev/null"));
}

}  // namespace stillpix::test
