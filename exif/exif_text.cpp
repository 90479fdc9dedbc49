#include "exif/exif_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace stillpix {

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (length > 0) {
        out.resize(static_cast<std::size_t>(length));
        std::vsnprintf(out.data(), out.size() + 1, format, args);
    }
    va_end(args);
    return out;
}

std::string TextBeforeNul(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

void CopyToField(char* field, std::size_t size, std::string_view text) {
    std::memset(field, 0, size);
    if (size == 0) return;
    text = text.substr(0, text.find('\0'));
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace stillpix
