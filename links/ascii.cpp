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

size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from, size_t* examined) {
  constexpr size_t npos = std::string_view::npos;
  if (from > haystack.size()) return npos;
  if (needle.empty()) return from;
  if (needle.size() > haystack.size() - from) return npos;
  // Candidates are found by the first byte in either case with memchr, which
  // runs far faster than a byte-by-byte comparison. Each case is looked for a
  // window at a time, the window doubling while nothing is found, never past
  // a hit of the other case, and no byte is searched twice for the same case:
  // a case that never occurs costs at most the distance to the match, not a
  // pass to the end of the text.
  size_t window = 64;
  size_t reached = from;
  const char lower = AsciiLower(needle[0]);
  const char upper = (lower >= 'a' && lower <= 'z') ? char(lower - 'a' + 'A') : lower;
  const std::string_view rest = needle.substr(1);
  const size_t end = haystack.size() - needle.size() + 1;  // candidates lie before it
  // Either `found` at `pos`, or none of `byte` in [the last search's start, pos).
  struct Track {
    char byte;
    size_t pos = 0;
    bool found = false;
    bool searched = false;
  };
  Track tracks[2] = {{lower}, {upper}};
  const int count = upper == lower ? 1 : 2;
  for (size_t at = from; at < end;) {
    size_t hit = npos, clear = end;  // earliest hit; no hit of an unfound case before `clear`
    for (int i = 0; i < count; ++i) {
      Track& t = tracks[i];
      if (!t.searched || (t.found ? t.pos < at : t.pos <= at)) {
        // Never past a hit of the other case: nothing there could come first.
        const size_t stop = std::min({end, at + window, hit == npos ? end : hit});
        const void* h = std::memchr(haystack.data() + at, t.byte, stop - at);
        t.searched = true;
        t.found = h != nullptr;
        t.pos = h ? size_t(static_cast<const char*>(h) - haystack.data()) : stop;
        reached = std::max(reached, t.found ? t.pos + 1 : stop);
      }
      if (t.found)
        hit = std::min(hit, t.pos);
      else
        clear = std::min(clear, t.pos);
    }
    if (hit == npos || hit > clear) {
      at = clear;  // nothing known before `clear`: search on from there
      window = std::min<size_t>(window * 2, 1 << 16);
      continue;
    }
    if (EqualsNoCase(haystack.substr(hit + 1, rest.size()), rest)) {
      if (examined) *examined += std::max(reached, hit + needle.size()) - from;
      return hit;
    }
    at = hit + 1;
  }
  if (examined) *examined += std::max(reached, std::min(haystack.size(), end + needle.size() - 1)) - from;
  return npos;
}

}  // namespace links
