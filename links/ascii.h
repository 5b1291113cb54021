#pragma once
// Byte-string helpers. Case-insensitive always means ASCII letters only: links
// are bytes, not text in any locale.
#include <string>
#include <string_view>

namespace links {

inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

std::string AsciiLowered(std::string_view s);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
bool EndsWithNoCase(std::string_view s, std::string_view suffix);
// Position of the first occurrence of `needle` at or after `from`, or npos.
// Linear in the bytes between `from` and the match; `examined`, when given,
// grows by the bytes the search has looked at.
size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from = 0,
                  size_t* examined = nullptr);

}  // namespace links
