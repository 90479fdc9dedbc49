#include "platform/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace stillpix {

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile) : path_(lockFile) {
    for (;;) {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            error_ = "cannot create " + path_.string() + ": " + std::strerror(errno);
            return;
        }
        int locked;
        while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        if (locked != 0) {
            error_ = "cannot lock " + path_.string() + ": " + std::strerror(errno);
            ::close(fd);
            return;
        }
        // The previous holder may have removed the file while we waited on it: then our lock
        // guards nothing and another process may already hold the new file's.
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && ::stat(path_.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (fd_ < 0) return;
    ::unlink(path_.c_str());  // before the release, so no one locks a file that is going away
    ::close(fd_);
}

}  // namespace stillpix
