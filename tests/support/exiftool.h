// One exiftool kept running for the whole test binary (-stay_open): every start costs a quarter of
// a second of compiling Perl, and the metadata tests ask it hundreds of questions.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace stillpix::test {

class ExifToolSession {
public:
    // The binary's one session, started on first use.
    static ExifToolSession& Shared() {
        static ExifToolSession session;
        return session;
    }
    ExifToolSession(const ExifToolSession&) = delete;
    ExifToolSession& operator=(const ExifToolSession&) = delete;

    // What `exiftool ARGS...` prints on its standard output (its errors are dropped).
    std::string Run(const std::vector<std::string>& args) {
        std::string out;
        if (in_ == nullptr || out_ == nullptr) return out;
        const std::string ready = "{ready" + std::to_string(++commands_) + "}\n";
        for (const std::string& arg : args) std::fprintf(in_, "%s\n", arg.c_str());
        std::fprintf(in_, "-execute%d\n", commands_);
        std::fflush(in_);
        char* line = nullptr;
        std::size_t capacity = 0;
        for (ssize_t n; !out.ends_with(ready) && (n = ::getline(&line, &capacity, out_)) > 0;)
            out.append(line, static_cast<std::size_t>(n));
        std::free(line);
        if (out.ends_with(ready)) out.resize(out.size() - ready.size());
        return out;
    }

private:
    ExifToolSession() {
        int toTool[2], fromTool[2];
        if (::pipe2(toTool, O_CLOEXEC) != 0) return;
        if (::pipe2(fromTool, O_CLOEXEC) != 0) {
            ::close(toTool[0]), ::close(toTool[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, toTool[0], 0);
        ::posix_spawn_file_actions_adddup2(&actions, fromTool[1], 1);
        ::posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        char name[] = "exiftool", stay[] = "-stay_open", yes[] = "True", from[] = "-@",
             dash[] = "-";
        char* argv[] = {name, stay, yes, from, dash, nullptr};
        const bool started = ::posix_spawnp(&pid_, name, &actions, nullptr, argv, environ) == 0;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(toTool[0]), ::close(fromTool[1]);
        if (!started) {
            ::close(toTool[1]), ::close(fromTool[0]);
            pid_ = -1;
            return;
        }
        in_ = ::fdopen(toTool[1], "w");
        out_ = ::fdopen(fromTool[0], "r");
    }
    ~ExifToolSession() {
        if (in_ != nullptr) {
            std::fputs("-stay_open\nFalse\n", in_);
            std::fclose(in_);
        }
        if (out_ != nullptr) std::fclose(out_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }

    pid_t pid_ = -1;
    std::FILE* in_ = nullptr;   // its argument stream (-@ -)
    std::FILE* out_ = nullptr;  // its standard output
    int commands_ = 0;
};

// What `exiftool ARGS...` prints, through the shared session.
inline std::string ExifToolRun(const std::vector<std::string>& args) {
    return ExifToolSession::Shared().Run(args);
}

}  // namespace stillpix::test
