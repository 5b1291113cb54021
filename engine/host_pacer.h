#pragma once
// Spaces the requests of all five workers: "wait" between requests to one
// host (raised by the host's Crawl-delay), and "rate" for the bytes of the
// whole run. It only hands out moments; the caller waits for them where
// Stop and Cancel can end the wait.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace engine {

class HostPacer {
 public:
  using Clock = std::chrono::steady_clock;

  // 0 or less: no wait, no limit.
  HostPacer(int waitMs, int rateKBs) : m_waitMs(std::max(0, waitMs)), m_rateKBs(std::max(0, rateKBs)) {}

  bool Paces() const { return m_waitMs > 0 || m_rateKBs > 0; }
  bool LimitsRate() const { return m_rateKBs > 0; }
  // Raises the gap for `host`; never below "wait".
  void SetHostDelay(const std::string& host, int delayMs);
  // The host answered "later": no request to it for `holdMs`, and its
  // requests from then on twice as far apart as before (at least
  // kLaterGapMs), so that five workers do not meet its limit again at once.
  void Later(const std::string& host, int holdMs, Clock::time_point now);
  // When the next request to `host` may go; that turn is taken.
  Clock::time_point TakeTurn(const std::string& host, Clock::time_point now);
  // When `bytes` more may be read without passing the run's rate.
  Clock::time_point TakeBytes(size_t bytes, Clock::time_point now);

  static constexpr int kLaterGapMs = 100;
  static constexpr int kMaxLaterGapMs = 10000;

 private:
  struct Host {
    Clock::time_point next{};
    Clock::time_point heldUntil{};  // the last "later" asked for no request before
    int delayMs = 0;
  };
  const int m_waitMs;
  const int m_rateKBs;
  std::mutex m_mutex;  // guards m_hosts and m_bytesFree
  std::unordered_map<std::string, Host> m_hosts;
  Clock::time_point m_bytesFree{};
};

}  // namespace engine
