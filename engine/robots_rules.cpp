#include "engine/robots_rules.h"

#include <algorithm>
#include <cstdlib>

#include "links/ascii.h"

namespace engine {

namespace {

// Parsers must take at least this much of a file; the rest is ignored.
constexpr size_t kMaxRobotsBytes = 512 * 1024;
// A Crawl-delay beyond this would stall a host for the whole run.
constexpr double kMaxCrawlDelaySeconds = 60;

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// One spelling for one target: escapes of unreserved characters decoded,
// other escapes in capitals, bytes beyond ASCII escaped.
std::string Normalise(std::string_view s) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '%' && i + 2 < s.size() && Hex(s[i + 1]) >= 0 && Hex(s[i + 2]) >= 0) {
      const unsigned char decoded = static_cast<unsigned char>(Hex(s[i + 1]) * 16 + Hex(s[i + 2]));
      if (IsUnreserved(decoded)) {
        out += char(decoded);
      } else {
        out += '%';
        out += kDigits[decoded >> 4];
        out += kDigits[decoded & 15];
      }
      i += 2;
    } else if (c >= 0x80 || c <= 0x20) {
      out += '%';
      out += kDigits[c >> 4];
      out += kDigits[c & 15];
    } else {
      out += char(c);
    }
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// "Googlebot/2.1 (+http://...)" names the product token "Googlebot".
std::string_view ProductToken(std::string_view value) {
  size_t n = 0;
  while (n < value.size() &&
         ((value[n] >= 'A' && value[n] <= 'Z') || (value[n] >= 'a' && value[n] <= 'z') || value[n] == '_' ||
          value[n] == '-'))
    ++n;
  return value == "*" ? value : value.substr(0, n);
}

}  // namespace

bool RobotsPatternMatches(std::string_view pattern, std::string_view target) {
  const bool anchored = !pattern.empty() && pattern.back() == '$';
  if (anchored) pattern.remove_suffix(1);
  // Greedy walk with one point to go back to: the bytes after the last "*".
  size_t p = 0, t = 0, starP = std::string_view::npos, starT = 0;
  while (true) {
    if (p == pattern.size()) {
      if (!anchored || t == target.size()) return true;
    } else if (pattern[p] == '*') {
      starP = ++p;
      starT = t;
      continue;
    } else if (t < target.size() && pattern[p] == target[t]) {
      ++p;
      ++t;
      continue;
    }
    if (starP == std::string_view::npos || starT >= target.size()) return false;
    p = starP;
    t = ++starT;
  }
}

RobotsRules RobotsRules::Parse(std::string_view text, std::string_view agentToken) {
  text = text.substr(0, kMaxRobotsBytes);
  std::vector<Rule> mine, anyone;
  double mineDelay = -1, anyoneDelay = -1;
  bool groupIsMine = false, groupIsAnyone = false, inAgents = false;
  bool sawMine = false;

  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    line = line.substr(0, line.find('#'));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));

    if (links::EqualsNoCase(key, "user-agent")) {
      // A user-agent line after rules opens a new group.
      if (!inAgents) groupIsMine = groupIsAnyone = false;
      inAgents = true;
      const std::string_view token = ProductToken(value);
      if (token == "*") {
        groupIsAnyone = true;
      } else if (!token.empty() && links::EqualsNoCase(token, agentToken)) {
        groupIsMine = true;
        sawMine = true;
      }
      continue;
    }
    const bool allow = links::EqualsNoCase(key, "allow");
    const bool disallow = links::EqualsNoCase(key, "disallow");
    const bool delay = links::EqualsNoCase(key, "crawl-delay");
    if (!allow && !disallow && !delay) continue;  // Sitemap and the like belong to no group
    inAgents = false;
    if (delay) {
      char* stop = nullptr;
      const std::string number(value);
      const double seconds = std::strtod(number.c_str(), &stop);
      if (stop == number.c_str() || !(seconds >= 0)) continue;
      if (groupIsMine) mineDelay = seconds;
      if (groupIsAnyone) anyoneDelay = seconds;
      continue;
    }
    // "Disallow:" with nothing after it forbids nothing.
    if (value.empty()) continue;
    const Rule rule{allow, Normalise(value)};
    if (groupIsMine) mine.push_back(rule);
    if (groupIsAnyone) anyone.push_back(rule);
  }

  RobotsRules rules;
  rules.m_rules = sawMine ? std::move(mine) : std::move(anyone);
  const double seconds = sawMine ? mineDelay : anyoneDelay;
  if (seconds > 0) rules.m_crawlDelayMs = int(std::min(seconds, kMaxCrawlDelaySeconds) * 1000);
  return rules;
}

bool RobotsRules::Allowed(std::string_view target) const {
  // The file itself is always there to be read.
  if (target == "/robots.txt") return true;
  const std::string normal = Normalise(target);
  size_t bestLength = 0;
  bool allowed = true;
  bool any = false;
  for (const Rule& rule : m_rules) {
    if (!RobotsPatternMatches(rule.pattern, normal)) continue;
    const size_t length = rule.pattern.size();
    if (!any || length > bestLength) {
      allowed = rule.allow;
      bestLength = length;
      any = true;
    } else if (length == bestLength && rule.allow) {
      allowed = true;
    }
  }
  return allowed;
}

}  // namespace engine
