#include "platform/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/memory_budget.h"

namespace stillpix {
namespace {

std::string SystemError(const std::filesystem::path& file, int code) {
    return file.string() + ": " + std::strerror(code);
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a plain file";
}

bool Regular(const std::filesystem::path& file, const struct stat& st, std::string& error) {
    if (S_ISREG(st.st_mode)) return true;
    error = file.string() + ": not a regular file (" + KindOf(st.st_mode) + ")";
    return false;
}

}  // namespace

int OpenRegularFile(const std::filesystem::path& file, std::string& error) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) {
        error = SystemError(file, errno);
        return -1;
    }
    if (!Regular(file, st, error)) return -1;
    // The name may have been swapped for a FIFO since: O_NONBLOCK keeps open() from waiting for a
    // writer, and the descriptor is checked again.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = SystemError(file, errno);
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !Regular(file, st, error)) {
        if (error.empty()) error = SystemError(file, errno);
        ::close(fd);
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

bool CheckRegularFile(const std::filesystem::path& file, std::string& error, uint64_t* size) {
    const int fd = OpenRegularFile(file, error);
    if (fd < 0) return false;
    struct stat st {};
    if (size != nullptr) *size = ::fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
    ::close(fd);
    return true;
}

bool ReadRegularFile(const std::filesystem::path& file, uint64_t maxBytes,
                     std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    const int fd = OpenRegularFile(file, error);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = SystemError(file, errno);
        ::close(fd);
        return false;
    }
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size > maxBytes) {
        error = file.string() + ": the file is too large (" + FormatBytes(size) + ", at most " +
                FormatBytes(maxBytes) + ")";
        ::close(fd);
        return false;
    }
    bool ok = true;
    try {
        out.resize(size);
    } catch (const std::bad_alloc&) {
        error = file.string() + ": not enough memory to read it";
        ok = false;
    }
    // A file that grows while it is read is taken up to the size it had.
    for (std::size_t done = 0; ok && done < out.size();) {
        const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error =
                n < 0 ? SystemError(file, errno) : file.string() + ": the file shrank while read";
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!ok) out.clear();
    return ok;
}

}  // namespace stillpix
