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

std::string FormatText(const char* format, const std::string& value) {
    return Format(format, value.c_str());
}
std::string FormatText(const char* format, int a, int b) { return Format(format, a, b); }
std::string FormatText(const char* format, double value) { return Format(format, value); }

}  // namespace stillpix
