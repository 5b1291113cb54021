#include "links/ascii.h"

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

namespace {

bool IsAsciiLetter(char c) { return AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z'; }

}  // namespace

size_t FindNoCase(std::string_view haystack, std::string_view needle, size_t from, size_t* examined) {
  constexpr size_t npos = std::string_view::npos;
  if (from > haystack.size()) return npos;
  if (needle.empty()) return from;
  if (needle.size() > haystack.size() - from) return npos;
  const size_t n = needle.size();
  const size_t end = haystack.size() - n + 1;  // candidates lie before it
  const char* const d = haystack.data();
  // A letter matches in either case once bit 0x20 is set in the byte; any
  // other byte only as itself.
  const char first = AsciiLower(needle[0]), last = AsciiLower(needle[n - 1]);
  const char firstFold = IsAsciiLetter(first) ? 0x20 : 0, lastFold = IsAsciiLetter(last) ? 0x20 : 0;
  const std::string_view middle = n > 2 ? needle.substr(1, n - 2) : std::string_view();
  const auto matchAt = [&](size_t at) {
    for (size_t i = 0; i < middle.size(); ++i)
      if (AsciiLower(d[at + 1 + i]) != AsciiLower(middle[i])) return false;
    return true;
  };
  const auto result = [&](size_t found) {
    if (examined) *examined += (found == npos ? haystack.size() : found + n) - from;
    return found;
  };
  size_t at = from;
#ifdef __SSE2__
  // Sixteen places at a time: the first and the last byte of the needle
  // must both match before the rest is compared, so one pass reads each
  // byte of the text once for both letter cases.
  const __m128i wantFirst = _mm_set1_epi8(first), wantLast = _mm_set1_epi8(last);
  const __m128i foldFirst = _mm_set1_epi8(firstFold), foldLast = _mm_set1_epi8(lastFold);
  for (; at + 16 <= end; at += 16) {
    const __m128i head = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + at)), foldFirst);
    const __m128i tail = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + at + n - 1)), foldLast);
    for (unsigned mask = unsigned(_mm_movemask_epi8(
             _mm_and_si128(_mm_cmpeq_epi8(head, wantFirst), _mm_cmpeq_epi8(tail, wantLast))));
         mask != 0; mask &= mask - 1) {
      const size_t candidate = at + size_t(__builtin_ctz(mask));
      if (matchAt(candidate)) return result(candidate);
    }
  }
#endif
  for (; at < end; ++at)
    if (char(d[at] | firstFold) == first && char(d[at + n - 1] | lastFold) == last && matchAt(at)) return result(at);
  return result(npos);
}

}  // namespace links
