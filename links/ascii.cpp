#include "links/ascii.h"

#include <algorithm>
#include <cstring>

namespace links {

std::string AsciiLowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = AsciiLower(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from) {
  if (from > haystack.size()) return std::string_view::npos;
  if (needle.empty()) return from;
  if (needle.size() > haystack.size() - from) return std::string_view::npos;
  // Candidates are found by the first byte in either case with memchr, which
  // runs far faster than a byte-by-byte comparison; the rest is compared then.
  const char lower = AsciiLower(needle[0]);
  const char upper = (lower >= 'a' && lower <= 'z') ? char(lower - 'a' + 'A') : lower;
  const std::string_view rest = needle.substr(1);
  const size_t last = haystack.size() - needle.size();
  auto next = [&](char c, size_t at) {
    const void* hit = std::memchr(haystack.data() + at, c, last + 1 - at);
    return hit ? size_t(static_cast<const char*>(hit) - haystack.data()) : std::string_view::npos;
  };
  size_t nextLower = next(lower, from);
  size_t nextUpper = upper == lower ? std::string_view::npos : next(upper, from);
  while (nextLower != std::string_view::npos || nextUpper != std::string_view::npos) {
    const bool takeLower = nextLower <= nextUpper;
    const size_t at = takeLower ? nextLower : nextUpper;
    if (EqualsNoCase(haystack.substr(at + 1, rest.size()), rest)) return at;
    if (at == last) break;
    if (takeLower)
      nextLower = next(lower, at + 1);
    else
      nextUpper = next(upper, at + 1);
  }
  return std::string_view::npos;
}

}  // namespace links
