// Runs part of a test as the unprivileged user "nobody": root writes through any permission,
// so a read-only file proves something only to a user without that privilege.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace stillpix::test {

// Runs `task` in a child process, as "nobody" when this process is root (else as this user),
// and returns its result, or -1 when no such child could be made.
inline int RunUnprivileged(const std::function<int()>& task) {
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() == 0 && nobody == nullptr) return -1;
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                                 ::setuid(nobody->pw_uid) != 0))
            ::_exit(255);
        ::_exit(task());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status) == 255 ? -1 : WEXITSTATUS(status);
}

}  // namespace stillpix::test
