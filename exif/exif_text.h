// Text helpers shared by the formatter and the maker-note directories.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace stillpix {

// printf into a std::string, widths as written: FormatText("1/%2.0f", 3.0) is "1/ 3".
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The text up to its first NUL: stored ASCII values need not be terminated, nor end at their count.
std::string TextBeforeNul(std::string_view text);

// Copies at most size - 1 characters of `text` into a zeroed fixed field, leaving a NUL after.
void CopyToField(char* field, std::size_t size, std::string_view text);

std::string UpperCase(std::string_view text);

}  // namespace stillpix
