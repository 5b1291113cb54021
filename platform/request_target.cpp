#include "platform/request_target.h"

namespace platform {

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

std::string EncodeRequestTarget(std::string_view object) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(object.size());
  for (size_t i = 0; i < object.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(object[i]);
    bool encode = c <= 0x20 || c >= 0x7F;
    switch (c) {
      case '"': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
        encode = true;
        break;
      case '%':
        encode = !(i + 2 < object.size() && IsHex(object[i + 1]) && IsHex(object[i + 2]));
        break;
      default:
        break;
    }
    if (encode) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

}  // namespace platform
