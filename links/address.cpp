#include "links/address.h"

#include <cctype>

#include "links/ascii.h"

namespace links {

namespace {

bool IsSchemeChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

std::optional<int> ParsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  int port = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + (c - '0');
  }
  if (port < 1 || port > 65535) return std::nullopt;
  return port;
}

}  // namespace

std::optional<Address> SplitAddress(std::string_view text) {
  const size_t colon = text.find("://");
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  for (size_t i = 0; i < colon; ++i)
    if (!IsSchemeChar(text[i])) return std::nullopt;

  Address out;
  out.scheme = std::string(text.substr(0, colon));
  out.secure = EqualsNoCase(out.scheme, "https");
  out.port = out.secure ? 443 : 80;

  std::string_view rest = text.substr(colon + 3);
  const size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  std::string_view object =
      authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);

  if (const size_t at = authority.rfind('@'); at != std::string_view::npos)
    authority = authority.substr(at + 1);

  std::string_view host = authority;
  std::string_view portText;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = authority.substr(1, close - 1);
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      portText = after.substr(1);
    }
  } else if (const size_t c = authority.find(':'); c != std::string_view::npos) {
    host = authority.substr(0, c);
    portText = authority.substr(c + 1);  // a second ":" makes it no number
  }
  if (!portText.empty()) {  // "host:" keeps the default port
    auto port = ParsePort(portText);
    if (!port) return std::nullopt;
    out.port = *port;
  }
  if (host.empty()) return std::nullopt;
  out.host = std::string(host);

  if (object.empty() || object.front() != '/')
    out.object = "/" + std::string(object);
  else
    out.object = std::string(object);
  return out;
}

bool IsWebScheme(std::string_view scheme) { return EqualsNoCase(scheme, "http") || EqualsNoCase(scheme, "https"); }

}  // namespace links
