#pragma once
// The rules a site's robots.txt gives one crawler: the Allow and Disallow
// lines of the groups for its product token (else of "*"), and Crawl-delay.
// Pure: text in, answers out.
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class RobotsRules {
 public:
  // Everything allowed.
  RobotsRules() = default;
  // `agentToken` is the product token ("Tarvelin"), matched without case.
  static RobotsRules Parse(std::string_view text, std::string_view agentToken);

  // `target` is the path and query as requested ("/a/b.jpg?x=1"). The
  // longest matching pattern wins; of two as long, Allow.
  bool Allowed(std::string_view target) const;
  // 0 when the group names none.
  int CrawlDelayMs() const { return m_crawlDelayMs; }

 private:
  struct Rule {
    bool allow;
    std::string pattern;  // normalised; may hold "*" and a final "$"
  };
  std::vector<Rule> m_rules;
  int m_crawlDelayMs = 0;
};

// Whether `pattern` ("*" any run of bytes, "$" at its end: the end of the
// target) matches the start of `target`. Both normalised.
bool RobotsPatternMatches(std::string_view pattern, std::string_view target);

}  // namespace engine
