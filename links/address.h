#pragma once
// Splits an absolute address into scheme, host, port and object. Bytes are
// kept as they are: no case change, no dot folding, no escaping.
#include <optional>
#include <string>
#include <string_view>

namespace links {

struct Address {
  std::string scheme;  // as written, e.g. "http", "HTTPS"
  std::string host;    // as written, without brackets, port or user
  int port = 80;       // the written port, else 443 for https, else 80
  std::string object;  // path and query, always beginning with "/"
  bool secure = false; // https
};

// Refuses text without "scheme://", an empty host, or a port that is not a
// number from 1 to 65535.
std::optional<Address> SplitAddress(std::string_view text);

// "http" or "https", in any letter case: the only addresses fetched.
bool IsWebScheme(std::string_view scheme);

}  // namespace links
