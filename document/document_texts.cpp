#include "document/document_texts.h"

#include <cstdio>
#include <vector>

namespace stillpix {
namespace {

template <class... Args>
std::string Format(const char* format, Args... args) {
    const int size = std::snprintf(nullptr, 0, format, args...);
    if (size <= 0) return {};
    std::vector<char> text(static_cast<std::size_t>(size) + 1);
    std::snprintf(text.data(), text.size(), format, args...);
    return std::string(text.data(), static_cast<std::size_t>(size));
}

}  // namespace

std::string DisplayText(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        shown += text[i];
    }
    return shown;
}

std::string FormatText(const char* format, const std::string& value) {
    return Format(format, value.c_str());
}
std::string FormatText(const char* format, int a, int b) { return Format(format, a, b); }
std::string FormatText(const char* format, double value) { return Format(format, value); }

}  // namespace stillpix
