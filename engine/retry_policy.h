#pragma once
// When an address is tried again: an answer that says "later" (429, 503),
// and a failure that may pass (a reset, a time-out, a body cut short).
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace engine {

inline constexpr int64_t kMaxRetryAfterMs = 120 * 1000;

// Milliseconds a Retry-After value asks to wait, capped; nothing when it
// is neither whole seconds nor an HTTP date. A date gone by means now.
std::optional<int64_t> RetryAfterMs(std::string_view value, std::time_t now);

class RetryPolicy {
 public:
  struct Verdict {
    bool again = false;
    int64_t delayMs = 0;
    int tryNumber = 0;  // of the next try, 2 for the first repeat
    int tries = 0;      // at most, for this kind of failure
    std::string why;    // "503", "429", or the failure
  };
  // After a try: `status` of its answer (0 when none came), its Retry-After
  // header, and whether it failed in a way that may pass (`transient`).
  Verdict After(long status, const std::string& retryAfter, bool transient, const std::string& failure,
                std::time_t now);

 private:
  int m_laterRepeats = 0;
  int m_failureRepeats = 0;
};

}  // namespace engine
