#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <vector>

namespace stillpix {
namespace {

namespace fs = std::filesystem;

// Leftovers are temporaries older than this process: none of them can be a save of ours. File
// times come from the kernel's coarse clock and may lag this reading by a few milliseconds, so
// a second of margin keeps our own early temporaries out.
const fs::file_time_type kProcessStart = fs::file_time_type::clock::now() - std::chrono::seconds(1);
constexpr std::size_t kRandomLetters = 6;
constexpr int kMaxLinkHops = 40;

std::atomic<int> gFailingWrite{0};

bool InjectedFailure() {
    int n = gFailingWrite.load();
    while (n > 0) {
        if (gFailingWrite.compare_exchange_weak(n, n - 1)) {
            if (n == 1) errno = ENOSPC;
            return n == 1;
        }
    }
    return false;
}

std::string Describe(const char* what, const fs::path& path) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

std::string NotRegular(const fs::path& path) {
    return "cannot replace " + path.string() + ": it is not a regular file";
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

void SyncFolder(const fs::path& folder) {
    const Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());
}

// The file a path names once its symbolic links are followed (a dangling link names the file it
// would create). False with errno set on a loop or an unreadable link.
bool FollowLinks(const fs::path& target, fs::path& file) {
    file = target;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        std::vector<char> text(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = ::readlink(file.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<std::size_t>(n) >= text.size()) return false;
        const fs::path next(std::string(text.data(), static_cast<std::size_t>(n)));
        file = next.is_absolute() ? next : FolderOf(file) / next;
    }
    errno = ELOOP;
    return false;
}

bool IsTemporaryName(const std::string& name) {
    const std::size_t mark = std::strlen(kTemporaryMark);
    return name.size() > 1 + mark + kRandomLetters && name.front() == '.' &&
           name.compare(name.size() - kRandomLetters - mark, mark, kTemporaryMark) == 0;
}

// Removes the leftovers of killed saves in `folder`: this user's temporaries written before
// the process started that no living save holds locked. Reading the folder's names costs far
// less than the save that follows.
void RemoveLeftovers(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path path = it->path();
        struct stat st {};
        if (!IsTemporaryName(path.filename().string()) || ::lstat(path.c_str(), &st) != 0 ||
            !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        std::error_code timeError;
        const auto written = fs::last_write_time(path, timeError);
        if (timeError || written >= kProcessStart) continue;
        const Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.Get() >= 0 && ::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0) ::unlink(path.c_str());
    }
}

std::string RandomLetters() {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
    std::string letters;
    for (std::size_t i = 0; i < kRandomLetters; ++i) letters += kLetters[pick(random)];
    return letters;
}

// Copies all of `from` over the start of `to` and cuts `to` to that length.
bool CopyOver(int from, int to) {
    struct stat st {};
    if (::fstat(from, &st) != 0) return false;
    std::vector<char> block(1u << 20);
    off_t at = 0;
    while (at < st.st_size) {
        const ssize_t n = ::pread(from, block.data(), block.size(), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        for (ssize_t done = 0; done < n;) {
            if (InjectedFailure()) return false;
            const ssize_t w =
                ::pwrite(to, block.data() + done, static_cast<std::size_t>(n - done), at + done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
        at += n;
    }
    return ::ftruncate(to, st.st_size) == 0 && ::fsync(to) == 0;
}

}  // namespace

void InjectWriteFailureAfter(int writes) { gFailingWrite.store(writes < 0 ? 0 : writes); }

TemporarySibling::TemporarySibling(const fs::path& target) {
    if (!FollowLinks(target, file_)) {
        error_ = Describe("cannot follow the link", target);
        return;
    }
    struct stat st {};
    const bool exists = ::stat(file_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        error_ = NotRegular(file_);
        return;
    }
    // Renaming would replace a file that its user may not write; the folder's permission to
    // take new files says nothing about that.
    if (exists && ::faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0) {
        error_ = Describe("cannot write", file_);
        return;
    }
    const fs::path folder = FolderOf(file_);
    RemoveLeftovers(folder);
    // An existing target's contents stay private until Commit() gives the copy its mode; a new
    // file gets the mode the kernel makes of 0666 (umask or default ACL) without anyone asking
    // the process-wide umask.
    const mode_t mode = exists ? 0600 : 0666;
    for (int attempt = 0; attempt < 100 && lockFd_ < 0; ++attempt) {
        temp_ = folder / ("." + file_.filename().string() + kTemporaryMark + RandomLetters());
        lockFd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (lockFd_ < 0 && errno != EEXIST) break;
    }
    struct stat made {};
    if (lockFd_ < 0 || ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0 || ::fstat(lockFd_, &made) != 0) {
        error_ = Describe("cannot create a file in", folder);
        if (lockFd_ >= 0) ::unlink(temp_.c_str());
        return;
    }
    newMode_ = made.st_mode & 07777;
    ok_ = true;
}

TemporarySibling::~TemporarySibling() {
    if (ok_ && !committed_) ::unlink(temp_.c_str());
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool TemporarySibling::Commit() {
    if (!ok_ || committed_) return false;
    if (InjectedFailure()) {
        error_ = Describe("cannot write", temp_);
        return false;
    }
    // By name: a writer may have put a new file in the temporary's place.
    const Fd temp(::open(temp_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (temp.Get() < 0 || ::fsync(temp.Get()) != 0) {
        error_ = Describe("cannot flush", temp_);
        return false;
    }
    struct stat st {};
    if (::stat(file_.c_str(), &st) != 0) {
        ::fchmod(temp.Get(), newMode_);
        committed_ = Replace();
    } else if (!S_ISREG(st.st_mode)) {
        error_ = NotRegular(file_);
    } else if (::faccessat(AT_FDCWD, file_.c_str(), W_OK, AT_EACCESS) != 0) {
        error_ = Describe("cannot write", file_);
    } else if (st.st_nlink > 1) {
        committed_ = OverwriteInPlace(temp.Get());
        if (committed_) ::unlink(temp_.c_str());
    } else {
        // Owner first: a change of owner clears the set-id bits that the mode then restores.
        if (::fchown(temp.Get(), st.st_uid, st.st_gid) != 0)
            (void)::fchown(temp.Get(), static_cast<uid_t>(-1), st.st_gid);
        ::fchmod(temp.Get(), st.st_mode & 07777);
        committed_ = Replace();
    }
    if (committed_) SyncFolder(FolderOf(file_));
    return committed_;
}

bool TemporarySibling::Replace() {
    if (::rename(temp_.c_str(), file_.c_str()) == 0) return true;
    error_ = Describe("cannot replace", file_);
    return false;
}

// The other names of a hard-linked file must see the new contents, so its bytes are replaced
// where they are, and made safe in three ways: the new contents are complete on disk before
// the file is touched; its old contents are copied aside first and put back when the overwrite
// fails; and the blocks are reserved up front, so a full disk stops the save before a byte of
// the file changes.
bool TemporarySibling::OverwriteInPlace(int tempFd) {
    const Fd file(::open(file_.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    struct stat newSize {};
    if (file.Get() < 0 || ::fstat(tempFd, &newSize) != 0) {
        error_ = Describe("cannot write", file_);
        return false;
    }
    TemporarySibling backup(file_);
    const Fd old(backup.Ok() ? ::open(backup.Path().c_str(), O_RDWR | O_CLOEXEC) : -1);
    if (old.Get() < 0 || !CopyOver(file.Get(), old.Get())) {
        error_ = Describe("cannot keep a copy of", file_);
        return false;
    }
    const int reserved = ::fallocate(file.Get(), FALLOC_FL_KEEP_SIZE, 0, newSize.st_size);
    if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS) {
        error_ = Describe("cannot write", file_);
        return false;
    }
    if (CopyOver(tempFd, file.Get())) return true;
    error_ = Describe("cannot write", file_);
    if (CopyOver(old.Get(), file.Get())) {
        error_ += " (its old contents were put back)";
    } else {
        backup.committed_ = true;  // all that is left of the old contents
        error_ += " (a copy of its old contents is kept in " + backup.Path().string() + ")";
    }
    return false;
}

bool WriteFileAtomically(const fs::path& target, std::span<const uint8_t> bytes,
                         std::string* error) {
    TemporarySibling temp(target);
    auto fail = [&](std::string message) {
        if (error) *error = std::move(message);
        return false;
    };
    if (!temp.Ok()) return fail(temp.Error());
    const Fd fd(::open(temp.Path().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    if (fd.Get() < 0) return fail(Describe("cannot open", temp.Path()));
    std::size_t done = 0;
    while (done < bytes.size()) {
        if (InjectedFailure()) return fail(Describe("cannot write", temp.Path()));
        const ssize_t n = ::write(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(Describe("cannot write", temp.Path()));
        done += static_cast<std::size_t>(n);
    }
    if (!temp.Commit()) return fail(temp.Error());
    return true;
}

}  // namespace stillpix
