#include "platform/qsettings_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <iterator>

#include "platform/atomic_file.h"
#include "platform/memory_budget.h"
#include "platform/regular_file.h"

namespace stillpix {
namespace {

bool IsValidUtf8(const std::string& text) {
    const QByteArray bytes = QByteArray::fromStdString(text);
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// QSettings reads "/" as a group separator and drops empty segments, so a filter called "a/b"
// would land in a subgroup and vanish from the listing. Such bytes (and "%", so that decoding
// is unambiguous) travel as %XX; names that are not valid UTF-8 have all their high bytes
// escaped so that they come back byte for byte.
QString EncodeName(const std::string& name) {
    static const char kHex[] = "0123456789ABCDEF";
    const bool keepHighBytes = IsValidUtf8(name);
    std::string out;
    for (const char ch : name) {
        const auto b = static_cast<unsigned char>(ch);
        const bool escape =
            b == '%' || b == '/' || b < 0x20 || b == 0x7F || (b >= 0x80 && !keepHighBytes);
        if (escape) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += ch;
        }
    }
    return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string DecodeName(const QString& key) {
    const std::string in = key.toUtf8().toStdString();
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '%' && i + 2 < in.size()) {
            const int high = HexDigit(in[i + 1]);
            const int low = HexDigit(in[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += in[i];  // a hand-edited key with a stray "%" keeps it
    }
    return out;
}

QString Key(const std::string& group, const std::string& name) {
    return EncodeName(group) + QLatin1Char('/') + EncodeName(name);
}

QString QtPath(const std::filesystem::path& file) {
    return QFile::decodeName(QByteArray::fromStdString(file.string()));
}

// The options, custom filters and recent folders take a few kilobytes. A file far beyond that is
// not ours to parse (reading a 2 GiB one takes several times its size): it reads as empty and is
// not rewritten, so it is left as it is.
constexpr uint64_t kMaxSettingsFileBytes = uint64_t{16} << 20;

// A missing file is fine (it reads as empty); a FIFO, a device or an oversized file is not.
std::string FileProblem(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec) && !ec) return {};
    std::string problem;
    uint64_t size = 0;
    if (!CheckRegularFile(file, problem, &size)) return problem;
    if (size > kMaxSettingsFileBytes)
        return file.string() + ": too large for a settings file (" + FormatBytes(size) +
               ", at most " + FormatBytes(kMaxSettingsFileBytes) + ")";
    return {};
}

bool UsableFile(const std::filesystem::path& file) { return FileProblem(file).empty(); }

// One QSettings a call: its status is sticky, and a fresh one rereads a file that another
// instance changed.
class Session {
public:
    explicit Session(const std::filesystem::path& file)
        : usable_(UsableFile(file)),
          settings_(QtPath(usable_ ? file : std::filesystem::path()), QSettings::IniFormat) {}
    // A damaged file reads as far as it parses; only a file that cannot be read at all fails.
    bool Readable() const { return usable_ && settings_.status() != QSettings::AccessError; }
    QSettings* operator->() { return &settings_; }

private:
    bool usable_;
    QSettings settings_;
};

std::optional<QVariant> ReadValue(const std::filesystem::path& file, const std::string& group,
                                  const std::string& name) {
    if (group.empty() || name.empty()) return std::nullopt;
    Session s(file);
    if (!s.Readable()) return std::nullopt;
    const QString key = Key(group, name);
    if (!s->contains(key)) return std::nullopt;
    return s->value(key);
}

// Copies the settings file's bytes into the (empty) copy; a missing file copies as empty.
bool CopyContents(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code ec;
    if (!std::filesystem::exists(from, ec)) return !ec;
    std::ifstream in(from, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return false;
    const int fd = ::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && done == bytes.size();
}

// True when the file on disk holds exactly `expected`. Read under a second name, since Qt keeps
// what it wrote itself and would not read the file again.
bool HoldsExactly(const std::filesystem::path& file, const QVariantMap& expected) {
    const std::filesystem::path check = file.string() + ".check";
    if (::link(file.c_str(), check.c_str()) != 0 && !CopyContents(file, check)) {
        ::unlink(check.c_str());
        return false;
    }
    bool same = false;
    {
        QSettings settings(QtPath(check), QSettings::IniFormat);
        const QStringList keys = settings.allKeys();
        same = settings.status() == QSettings::NoError && keys.size() == expected.size();
        for (const QString& key : keys)
            same = same && expected.contains(key) && settings.value(key) == expected[key];
    }
    ::unlink(check.c_str());
    return same;
}

// Qt notices a changed file by its size and modification time, so a new version must never
// carry the old one's time, even when written within the same millisecond.
void LaterThan(const std::filesystem::path& copy, const std::filesystem::path& file) {
    std::error_code ec;
    const auto old = std::filesystem::last_write_time(file, ec);
    if (ec) return;
    const auto now = std::filesystem::last_write_time(copy, ec);
    const auto wanted = old + std::chrono::milliseconds(1);
    if (!ec && now < wanted) std::filesystem::last_write_time(copy, wanted, ec);
}

// Sets (or, with no value, removes) one key. Qt's own save of an INI file puts a cut file in
// place and reports success when the disk fills during the write, and after a failed write its
// cache keeps the change pending, so that every later read of the file fails. So the change is
// made on a private copy, the copy is checked by reading it back, and only a whole copy is
// renamed over the file. The lock is the one QSettings takes, so instances still take turns.
bool ChangeValue(const std::filesystem::path& file, const QString& key,
                 const std::optional<QVariant>& value) {
    std::error_code ec;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
    QLockFile lock(QtPath(file) + QStringLiteral(".lock"));
    if (!lock.tryLock(10000) || !UsableFile(file)) return false;
    TemporarySibling copy(file);
    if (!copy.Ok() || !CopyContents(file, copy.Path())) return false;
    QVariantMap expected;
    {
        QSettings settings(QtPath(copy.Path()), QSettings::IniFormat);
        for (const QString& k : settings.allKeys()) expected[k] = settings.value(k);
        if (value) {
            settings.setValue(key, *value);
            expected[key] = settings.value(key);
        } else {
            settings.remove(key);
            expected.remove(key);
        }
        settings.sync();
        if (settings.status() == QSettings::AccessError) return false;
    }
    if (!HoldsExactly(copy.Path(), expected)) return false;
    LaterThan(copy.Path(), file);
    return copy.Commit();
}

bool WriteValue(const std::filesystem::path& file, const std::string& group,
                const std::string& name, const QVariant& value) {
    if (group.empty() || name.empty()) return false;
    return ChangeValue(file, Key(group, name), value);
}

}  // namespace

QSettingsStore::QSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::string QSettingsStore::Problem() const { return FileProblem(file_); }

std::optional<std::string> QSettingsStore::ReadText(const std::string& group,
                                                    const std::string& name) {
    const auto value = ReadValue(file_, group, name);
    if (!value) return std::nullopt;
    if (value->metaType().id() == QMetaType::QString)
        return value->toString().toUtf8().toStdString();
    // An unquoted hand-edited text with commas parses as a list; take it back as written.
    if (value->metaType().id() == QMetaType::QStringList)
        return value->toStringList().join(QStringLiteral(", ")).toUtf8().toStdString();
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> QSettingsStore::ReadBytes(const std::string& group,
                                                              const std::string& name) {
    const auto value = ReadValue(file_, group, name);
    if (!value || value->metaType().id() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray bytes = value->toByteArray();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool QSettingsStore::WriteText(const std::string& group, const std::string& name,
                               const std::string& value) {
    // A text that is not UTF-8 would be stored as something else; refuse it rather than lie.
    if (!IsValidUtf8(value)) return false;
    return WriteValue(file_, group, name,
                      QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

bool QSettingsStore::WriteBytes(const std::string& group, const std::string& name,
                                const std::vector<uint8_t>& value) {
    return WriteValue(file_, group, name,
                      QByteArray(reinterpret_cast<const char*>(value.data()),
                                 static_cast<qsizetype>(value.size())));
}

bool QSettingsStore::ValueNames(const std::string& group, std::vector<std::string>& names) {
    names.clear();
    if (group.empty()) return false;
    Session s(file_);
    if (!s.Readable()) return false;
    s->beginGroup(EncodeName(group));
    for (const QString& key : s->childKeys()) names.push_back(DecodeName(key));
    s->endGroup();
    return true;
}

bool QSettingsStore::DeleteValue(const std::string& group, const std::string& name) {
    // QSettings reads an empty key as "the whole group".
    if (group.empty() || name.empty()) return false;
    Session s(file_);
    if (!s.Readable()) return false;
    const QString key = Key(group, name);
    if (!s->contains(key)) return true;
    return ChangeValue(file_, key, std::nullopt);
}

}  // namespace stillpix
