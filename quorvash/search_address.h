#pragma once
// The address of the image search's first result page for a keyword.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace quorvash {

// The image-search service. The "search host" setting (a host, optionally
// ":port") puts a stand-in, such as a local test server, in its place.
inline constexpr const char* kServiceHost = "images.google.com";

// The query of a first result page, completed by the keyword.
inline constexpr const char* kFirstPageQuery = "gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=";
inline constexpr size_t kMaxKeywordBytes = 255;

// A host name or IPv4 address of letters, digits, '-' and '.', optionally
// followed by ":" and a port from 1 to 65535.
bool IsWellFormedHost(std::string_view hostAndPort);

// The "search host" setting when it is set and well formed, else kServiceHost.
std::string SearchHost(const platform::SettingsStore& store);

// At most `maxBytes` bytes of UTF-8 text, never ending inside a sequence.
// Stops at a zero byte.
std::string_view TruncateUtf8(std::string_view text, size_t maxBytes);

// An input holding "http://" + host + "/images?" anywhere (same case) is a
// result-page address and comes back unchanged; anything else is a UTF-8
// keyword, put into the first page's query as it is (blanks stay).
std::string BuildSearchAddress(const std::string& input, const std::string& serviceHost);

// The address field's text before any search was started.
std::string DefaultHistory(const std::string& serviceHost);

// For Program::prepareAddress.
std::string PrepareSearchAddress(const std::string& input, const platform::SettingsStore& store);

}  // namespace quorvash
