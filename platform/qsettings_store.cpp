#include "platform/qsettings_store.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

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
        const bool escape = b == '%' || b == '/' || b < 0x20 || b == 0x7F || (b >= 0x80 && !keepHighBytes);
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
        out += in[i];   // a hand-edited key with a stray "%" keeps it
    }
    return out;
}

QString Key(const std::string& group, const std::string& name) {
    return EncodeName(group) + QLatin1Char('/') + EncodeName(name);
}

// One QSettings a call: its status is sticky, and a fresh one rereads a file that another
// instance changed.
class Session {
public:
    explicit Session(const std::filesystem::path& file)
        : settings_(QFile::decodeName(QByteArray::fromStdString(file.string())), QSettings::IniFormat) {}
    // A damaged file reads as far as it parses; only a file that cannot be read at all fails.
    bool Readable() const { return settings_.status() != QSettings::AccessError; }
    QSettings* operator->() { return &settings_; }
    bool Sync() {
        settings_.sync();
        return settings_.status() != QSettings::AccessError;
    }

private:
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

bool WriteValue(const std::filesystem::path& file, const std::string& group, const std::string& name,
                const QVariant& value) {
    if (group.empty() || name.empty()) return false;
    Session s(file);
    if (!s.Readable()) return false;
    s->setValue(Key(group, name), value);
    return s.Sync();
}

}  // namespace

QSettingsStore::QSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> QSettingsStore::ReadText(const std::string& group, const std::string& name) {
    const auto value = ReadValue(file_, group, name);
    if (!value) return std::nullopt;
    if (value->metaType().id() == QMetaType::QString) return value->toString().toUtf8().toStdString();
    // An unquoted hand-edited text with commas parses as a list; take it back as written.
    if (value->metaType().id() == QMetaType::QStringList)
        return value->toStringList().join(QStringLiteral(", ")).toUtf8().toStdString();
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> QSettingsStore::ReadBytes(const std::string& group, const std::string& name) {
    const auto value = ReadValue(file_, group, name);
    if (!value || value->metaType().id() != QMetaType::QByteArray) return std::nullopt;
    const QByteArray bytes = value->toByteArray();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

bool QSettingsStore::WriteText(const std::string& group, const std::string& name, const std::string& value) {
    // A text that is not UTF-8 would be stored as something else; refuse it rather than lie.
    if (!IsValidUtf8(value)) return false;
    return WriteValue(file_, group, name, QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

bool QSettingsStore::WriteBytes(const std::string& group, const std::string& name,
                                const std::vector<uint8_t>& value) {
    return WriteValue(file_, group, name,
                      QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
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
    s->remove(key);
    return s.Sync();
}

}  // namespace stillpix
