#include "engine/host_pacer.h"

#include <algorithm>

namespace engine {

void HostPacer::SetHostDelay(const std::string& host, int delayMs) {
  std::lock_guard guard(m_mutex);
  Host& h = m_hosts[host];
  h.delayMs = std::max(h.delayMs, delayMs);
}

void HostPacer::Later(const std::string& host, int holdMs, Clock::time_point now) {
  std::lock_guard guard(m_mutex);
  Host& h = m_hosts[host];
  // Answers to requests sent before the host's last "later" say nothing new.
  if (now >= h.heldUntil)
    h.delayMs = std::max(h.delayMs, std::min(kMaxLaterGapMs, std::max(kLaterGapMs, 2 * h.delayMs)));
  h.heldUntil = std::max(h.heldUntil, now + std::chrono::milliseconds(holdMs));
  h.next = std::max(h.next, h.heldUntil);
}

HostPacer::Clock::time_point HostPacer::TakeTurn(const std::string& host, Clock::time_point now) {
  std::lock_guard guard(m_mutex);
  Host& h = m_hosts[host];
  const int gap = std::max(m_waitMs, h.delayMs);
  if (gap <= 0) return now;
  const Clock::time_point turn = std::max(now, h.next);
  h.next = turn + std::chrono::milliseconds(gap);
  return turn;
}

HostPacer::Clock::time_point HostPacer::TakeBytes(size_t bytes, Clock::time_point now) {
  if (m_rateKBs <= 0) return now;
  std::lock_guard guard(m_mutex);
  // The bytes go at the moment the budget reaches them; a pause does not
  // save up for a burst later.
  const Clock::time_point at = std::max(now, m_bytesFree);
  m_bytesFree = at + std::chrono::microseconds(int64_t(bytes) * 1000000 / (int64_t(m_rateKBs) * 1024));
  return at;
}

}  // namespace engine
