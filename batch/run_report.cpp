#include "batch/run_report.h"

#include <charconv>
#include <fstream>
#include <map>
#include <optional>

#include "platform/regular_file.h"

namespace stillpix {
namespace {

constexpr char kHex[] = "0123456789abcdef";

// Length of the well-formed UTF-8 sequence at `at` (no overlong forms, no surrogates, at most
// U+10FFFF), or 0.
std::size_t Utf8Length(std::string_view s, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) length = 2;
    else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;
        if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;
    }
    if (length == 0 || at + length > s.size()) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

void AppendUnicodeEscape(std::string& out, unsigned value) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(value >> shift) & 0xF];
}

void AppendString(std::string& out, std::string_view s) {
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            if (const std::size_t n = Utf8Length(s, i)) {
                out.append(s.substr(i, n));
                i += n;
            } else {
                AppendUnicodeEscape(out, 0xDC00 + c);
                ++i;
            }
            continue;
        }
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c == 0x7F) AppendUnicodeEscape(out, c);
                else out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A value of a flat JSON object: a string, a number or null (true and false are not used).
struct Value {
    enum Kind { kString, kNumber, kNull } kind = kNull;
    std::string text;
    double number = 0;
};

class Parser {
public:
    explicit Parser(std::string_view s) : s_(s) {}

    std::optional<std::map<std::string, Value>> Object() {
        std::map<std::string, Value> fields;
        if (!Take('{')) return std::nullopt;
        if (!Take('}')) {
            do {
                std::string key;
                Value value;
                if (!String(key) || !Take(':') || !ParseValue(value)) return std::nullopt;
                fields[key] = std::move(value);
            } while (Take(','));
            if (!Take('}')) return std::nullopt;
        }
        Space();
        if (at_ != s_.size()) return std::nullopt;
        return fields;
    }

private:
    void Space() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\r')) ++at_;
    }
    bool Take(char c) {
        Space();
        if (at_ >= s_.size() || s_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool Hex4(uint32_t& out) {
        if (at_ + 4 > s_.size()) return false;
        const auto [end, ec] = std::from_chars(s_.data() + at_, s_.data() + at_ + 4, out, 16);
        if (ec != std::errc() || end != s_.data() + at_ + 4) return false;
        at_ += 4;
        return true;
    }
    bool String(std::string& out) {
        if (!Take('"')) return false;
        while (at_ < s_.size()) {
            const char c = s_[at_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= s_.size()) return false;
            const char e = s_[at_++];
            switch (e) {
                case '"':
                case '\\':
                case '/': out += e; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u': {
                    uint32_t cp = 0;
                    if (!Hex4(cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        uint32_t low = 0;
                        if (s_.substr(at_, 2) != "\\u" || (at_ += 2, !Hex4(low)) || low < 0xDC00 ||
                            low > 0xDFFF)
                            return false;
                        AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
                    } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
                        out += static_cast<char>(cp - 0xDC00);  // an escaped byte
                    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                        return false;
                    } else {
                        AppendUtf8(out, cp);
                    }
                    break;
                }
                default: return false;
            }
        }
        return false;
    }
    bool ParseValue(Value& out) {
        Space();
        if (s_.substr(at_, 4) == "null") {
            at_ += 4;
            out.kind = Value::kNull;
            return true;
        }
        if (at_ < s_.size() && s_[at_] == '"') {
            out.kind = Value::kString;
            return String(out.text);
        }
        const auto [end, ec] = std::from_chars(s_.data() + at_, s_.data() + s_.size(), out.number);
        if (ec != std::errc()) return false;
        at_ = static_cast<std::size_t>(end - s_.data());
        out.kind = Value::kNumber;
        return true;
    }

    std::string_view s_;
    std::size_t at_ = 0;
};

const char* ProfileName(ProfileSource profile) {
    switch (profile) {
        case ProfileSource::kLearned: return "learned";
        case ProfileSource::kMeasured: return "measured";
        default: return nullptr;
    }
}

}  // namespace

std::string ReportLine(const BatchFileResult& result) {
    std::string line = "{\"source\":";
    AppendString(line, result.source);
    line += ",\"output\":";
    if (result.output.empty()) line += "null";
    else AppendString(line, result.output);
    line += result.processed ? ",\"status\":\"processed\"" : ",\"status\":\"failed\"";
    line += ",\"profile\":";
    const char* profile = ProfileName(result.profile);
    line += profile ? "\"" + std::string(profile) + "\"" : "null";
    char seconds[32];
    const auto [end, ec] = std::to_chars(seconds, seconds + sizeof seconds, result.seconds,
                                         std::chars_format::fixed, 3);
    line += ",\"seconds\":" + std::string(seconds, ec == std::errc() ? end : seconds);
    line += ",\"error\":";
    if (result.processed && result.error.empty()) line += "null";
    else AppendString(line, result.error);
    return line + "}\n";
}

bool ParseReportLine(std::string_view line, BatchFileResult& out) {
    const auto fields = Parser(line).Object();
    if (!fields) return false;
    const auto get = [&](const char* key) -> const Value* {
        const auto it = fields->find(key);
        return it == fields->end() ? nullptr : &it->second;
    };
    const Value *source = get("source"), *status = get("status");
    if (!source || source->kind != Value::kString || !status || status->kind != Value::kString ||
        (status->text != "processed" && status->text != "failed"))
        return false;
    BatchFileResult result;
    result.source = source->text;
    result.processed = status->text == "processed";
    if (const Value* output = get("output")) result.output = output->text;
    if (const Value* error = get("error")) result.error = error->text;
    if (const Value* seconds = get("seconds")) result.seconds = seconds->number;
    if (const Value* profile = get("profile"))
        result.profile = profile->text == "learned"    ? ProfileSource::kLearned
                         : profile->text == "measured" ? ProfileSource::kMeasured
                                                       : ProfileSource::kNone;
    out = std::move(result);
    return true;
}

bool ReadProcessedSources(const std::filesystem::path& report, std::set<std::string>& out,
                          std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(report, ec) && !ec) return true;
    if (!CheckRegularFile(report, error)) return false;
    std::ifstream in(report, std::ios::binary);
    if (!in) {
        error = "cannot read " + report.string();
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        BatchFileResult result;
        if (ParseReportLine(line, result)) {
            if (result.processed) out.insert(result.source);
        } else if (!in.eof()) {  // only the last line may be cut short
            error = report.string() + ", line " + std::to_string(number) +
                    ": not a line of a run report";
            return false;
        }
    }
    return true;
}

}  // namespace stillpix
