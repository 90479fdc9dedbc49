#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include <atomic>

namespace stillpix {
namespace {

std::atomic<int> gFailingWrite{0};

bool InjectedFailure() {
    int n = gFailingWrite.load();
    while (n > 0) {
        if (gFailingWrite.compare_exchange_weak(n, n - 1)) return n == 1;
    }
    return false;
}

std::string Describe(const char* what, const std::filesystem::path& path) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

bool SyncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

}  // namespace

void InjectWriteFailureAfter(int writes) { gFailingWrite.store(writes < 0 ? 0 : writes); }

TemporarySibling::TemporarySibling(const std::filesystem::path& target) : target_(target) {
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error_ = Describe("cannot create a file in", folder);
        return;
    }
    ::close(fd);
    temp_ = pattern;
    ok_ = true;
}

TemporarySibling::~TemporarySibling() {
    if (ok_ && !committed_) ::unlink(temp_.c_str());
}

bool TemporarySibling::Commit() {
    if (!ok_ || committed_) return false;
    if (InjectedFailure()) {
        errno = ENOSPC;
        error_ = Describe("cannot write", temp_);
        return false;
    }
    if (!SyncPath(temp_, O_RDONLY)) {
        error_ = Describe("cannot flush", temp_);
        return false;
    }
    struct stat old {};
    if (::stat(target_.c_str(), &old) == 0) ::chmod(temp_.c_str(), old.st_mode & 07777);
    else
        ::chmod(
            temp_.c_str(), 0666 & ~[] {
                mode_t m = ::umask(0);
                ::umask(m);
                return m;
            }());
    if (::rename(temp_.c_str(), target_.c_str()) != 0) {
        error_ = Describe("cannot replace", target_);
        return false;
    }
    committed_ = true;
    SyncPath(target_.has_parent_path() ? target_.parent_path() : ".", O_RDONLY | O_DIRECTORY);
    return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::span<const uint8_t> bytes,
                         std::string* error) {
    TemporarySibling temp(target);
    auto fail = [&](std::string message) {
        if (error) *error = std::move(message);
        return false;
    };
    if (!temp.Ok()) return fail(temp.Error());
    const int fd = ::open(temp.Path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return fail(Describe("cannot open", temp.Path()));
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (InjectedFailure()) {
            ::close(fd);
            errno = ENOSPC;
            return fail(Describe("cannot write", temp.Path()));
        }
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            return fail(Describe("cannot write", temp.Path()));
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) return fail(Describe("cannot write", temp.Path()));
    if (!temp.Commit()) return fail(temp.Error());
    return true;
}

}  // namespace stillpix
