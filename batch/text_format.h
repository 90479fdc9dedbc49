// printf-style filling of the fixed texts, into a std::string.
#pragma once

#include <cstdio>
#include <string>

namespace stillpix {

template <class... Args>
std::string FormatText(const char* format, Args... args) {
    const int size = std::snprintf(nullptr, 0, format, args...);
    if (size <= 0) return {};
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, args...);
    text.resize(static_cast<std::size_t>(size));
    return text;
}

}  // namespace stillpix
