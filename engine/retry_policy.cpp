#include "engine/retry_policy.h"

#include <algorithm>

#include "platform/http_client.h"

namespace engine {

namespace {
constexpr int kLaterRepeats = 3;    // after an answer that names its wait
constexpr int kFailureRepeats = 2;  // with the backoff below
constexpr int64_t kBackoffMs[kFailureRepeats] = {1000, 4000};
}  // namespace

std::optional<int64_t> RetryAfterMs(std::string_view value, std::time_t now) {
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  if (value.empty()) return std::nullopt;
  if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    // Long runs of digits only say "a long time".
    if (value.size() > 6) return kMaxRetryAfterMs;
    return std::min<int64_t>(std::stoll(std::string(value)) * 1000, kMaxRetryAfterMs);
  }
  const std::optional<std::time_t> when = platform::ParseHttpDate(std::string(value));
  if (!when) return std::nullopt;
  return std::clamp<int64_t>(int64_t(*when - now) * 1000, 0, kMaxRetryAfterMs);
}

RetryPolicy::Verdict RetryPolicy::After(long status, const std::string& retryAfter, bool transient,
                                        const std::string& failure, std::time_t now) {
  Verdict v;
  const bool later = status == 429 || status == 503;
  const std::optional<int64_t> named = later ? RetryAfterMs(retryAfter, now) : std::nullopt;
  if (named) {
    v.why = std::to_string(status);
    v.tries = 1 + kLaterRepeats;
    if (m_laterRepeats >= kLaterRepeats) return v;
    v.again = true;
    v.delayMs = *named;
    v.tryNumber = 2 + m_laterRepeats++;
    return v;
  }
  if (!later && !transient) return v;
  v.why = later ? std::to_string(status) : failure;
  v.tries = 1 + kFailureRepeats;
  if (m_failureRepeats >= kFailureRepeats) return v;
  v.again = true;
  v.delayMs = kBackoffMs[m_failureRepeats];
  v.tryNumber = 2 + m_failureRepeats++;
  return v;
}

}  // namespace engine
