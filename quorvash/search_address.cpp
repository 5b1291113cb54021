#include "quorvash/search_address.h"

#include <cstdint>

#include "engine/settings_table.h"

namespace quorvash {

namespace {

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

bool IsPort(std::string_view s) {
  if (s.empty() || s.size() > 5) return false;
  int32_t port = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    port = port * 10 + (c - '0');
  }
  return port >= 1 && port <= 65535;
}

}  // namespace

bool IsWellFormedHost(std::string_view hostAndPort) {
  const size_t colon = hostAndPort.find(':');
  const std::string_view host = hostAndPort.substr(0, colon);
  if (host.empty() || host.front() == '.' || host.front() == '-') return false;
  for (char c : host)
    if (!IsHostChar(c)) return false;
  return colon == std::string_view::npos || IsPort(hostAndPort.substr(colon + 1));
}

std::string SearchHost(const platform::SettingsStore& store) {
  std::string host = engine::Read(store, engine::keys::kSearchHost);
  return IsWellFormedHost(host) ? host : std::string(kServiceHost);
}

std::string_view TruncateUtf8(std::string_view text, size_t maxBytes) {
  text = text.substr(0, text.find('\0'));
  if (text.size() <= maxBytes) return text;
  // Back off the continuation bytes of a sequence the cut would split; a
  // sequence is at most four bytes, so a run of stray ones cannot eat the rest.
  size_t cut = maxBytes;
  for (int i = 0; i < 3 && cut > 0 && (uint8_t(text[cut]) & 0xC0) == 0x80; ++i) --cut;
  return text.substr(0, cut);
}

std::string BuildSearchAddress(const std::string& input, const std::string& serviceHost) {
  const std::string site = "http://" + serviceHost;
  if (input.find(site + "/images?") != std::string::npos) return input;
  return site + "/images?" + kFirstPageQuery + std::string(TruncateUtf8(input, kMaxKeywordBytes));
}

std::string DefaultHistory(const std::string& serviceHost) {
  return BuildSearchAddress("scene", serviceHost);
}

std::string PrepareSearchAddress(const std::string& input, const platform::SettingsStore& store) {
  return BuildSearchAddress(input, SearchHost(store));
}

}  // namespace quorvash
