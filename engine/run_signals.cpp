#include "engine/run_signals.h"

#include <algorithm>

namespace engine {

void RunSignals::SetStop() {
  std::lock_guard guard(m_mutex);
  m_stop = true;
  ++m_generation;
  m_changed.notify_all();
}

bool RunSignals::StopSet() const { return m_stop; }

void RunSignals::ResetWorkers() {
  std::lock_guard guard(m_mutex);
  m_idle.fill(false);
}

void RunSignals::SetIdle(int worker) {
  std::lock_guard guard(m_mutex);
  if (m_idle[size_t(worker)]) return;
  m_idle[size_t(worker)] = true;
  ++m_generation;
  m_changed.notify_all();
  m_idleChanged.notify_all();
}

void RunSignals::ClearIdle(int worker) {
  std::lock_guard guard(m_mutex);
  m_idle[size_t(worker)] = false;
}

bool RunSignals::AllIdle() const {
  std::lock_guard guard(m_mutex);
  return std::all_of(m_idle.begin(), m_idle.end(), [](bool b) { return b; });
}

bool RunSignals::WaitAllIdleFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_mutex);
  auto allIdle = [&] { return std::all_of(m_idle.begin(), m_idle.end(), [](bool b) { return b; }); };
  return m_idleChanged.wait_for(lock, timeout, allIdle);
}

void RunSignals::SetCancel(int worker) {
  if (worker < 0 || worker >= kWorkerCount) return;
  std::lock_guard guard(m_mutex);
  ++m_cancels[size_t(worker)];
  m_changed.notify_all();  // ends the worker's wait for a later try
}

bool RunSignals::WaitUntil(int worker, uint64_t cancelsSeen, std::chrono::steady_clock::time_point until) {
  std::unique_lock lock(m_mutex);
  return !m_changed.wait_until(lock, until, [&] { return m_stop || m_cancels[size_t(worker)] != cancelsSeen; });
}

uint64_t RunSignals::Cancels(int worker) const { return m_cancels[size_t(worker)]; }

void RunSignals::NotifyProgress() {
  std::lock_guard guard(m_mutex);
  ++m_generation;
  m_changed.notify_all();
}

uint64_t RunSignals::Generation() const {
  std::lock_guard guard(m_mutex);
  return m_generation;
}

void RunSignals::WaitForProgress(uint64_t seen, std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_mutex);
  m_changed.wait_for(lock, timeout, [&] { return m_generation != seen || m_stop; });
}

}  // namespace engine
