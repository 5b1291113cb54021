#include "links/control_bytes.h"

#include <cstdint>

namespace links {

namespace {

// The length of the well-formed UTF-8 sequence at `at`, or 0.
size_t Utf8Length(std::string_view s, size_t at) {
  const auto b = [&](size_t i) { return uint8_t(s[i]); };
  const uint8_t lead = b(at);
  size_t length;
  uint8_t low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > s.size() || b(at + 1) < low || b(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if ((b(at + i) & 0xC0) != 0x80) return 0;
  return length;
}

template <typename Out>
std::string Rewrite(std::string_view text, std::string_view keep, Out out) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t control = ControlLength(text, i);
    if (control == 0 || (control == 1 && keep.find(text[i]) != std::string_view::npos)) {
      // A whole UTF-8 sequence is copied at once, so its later bytes are
      // never mistaken for raw C1 bytes.
      const size_t length = uint8_t(text[i]) >= 0x80 ? Utf8Length(text, i) : 1;
      result.append(text.substr(i, length ? length : 1));
      i += length ? length : 1;
      continue;
    }
    out(result, text.substr(i, control));
    i += control;
  }
  return result;
}

}  // namespace

size_t ControlLength(std::string_view text, size_t at) {
  const uint8_t c = uint8_t(text[at]);
  if (c < 0x20 || c == 0x7F) return 1;
  if (c < 0x80) return 0;
  const size_t length = Utf8Length(text, at);
  if (length == 0) return c <= 0x9F ? 1 : 0;
  return length == 2 && c == 0xC2 && uint8_t(text[at + 1]) <= 0x9F ? 2 : 0;
}

std::string ReplaceControls(std::string_view text, std::string_view with, std::string_view keep) {
  return Rewrite(text, keep, [with](std::string& out, std::string_view) { out += with; });
}

std::string EscapeControls(std::string_view text, std::string_view keep) {
  return Rewrite(text, keep, [](std::string& out, std::string_view control) {
    static const char kHex[] = "0123456789abcdef";
    for (char c : control) {
      out += "\\x";
      out += kHex[uint8_t(c) >> 4];
      out += kHex[uint8_t(c) & 15];
    }
  });
}

}  // namespace links
