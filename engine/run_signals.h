#pragma once
// The stop signal, and the idle and cancel signals of the five workers: all
// manual-reset. One mutex guards them; a condition variable wakes an idle
// worker when another one has finished a file or gone idle.
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/worker_rows.h"

namespace engine {

class RunSignals {
 public:
  void SetStop();
  void ClearStop();
  bool StopSet() const;

  // A new run: every idle and cancel signal clear.
  void ResetWorkers();

  void SetIdle(int worker);
  void ClearIdle(int worker);
  bool AllIdle() const;
  void WaitAllIdle();
  // Waits at most `timeout`, less when all five go idle; returns whether
  // all five are idle.
  bool WaitAllIdleFor(std::chrono::milliseconds timeout);

  void SetCancel(int worker);
  void ClearCancel(int worker);
  bool CancelSet(int worker) const;

  // Worker `worker` waits until `until`; Stop or its Cancel end the wait at
  // once. Returns whether the moment came uninterrupted.
  bool WaitUntil(int worker, std::chrono::steady_clock::time_point until);

  // Wakes workers waiting for work: a file was finished or a worker went idle.
  void NotifyProgress();
  uint64_t Generation() const;
  // Waits until the generation moves past `seen`, the stop signal is set, or
  // `timeout` passes.
  void WaitForProgress(uint64_t seen, std::chrono::milliseconds timeout);

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;      // for workers: new links, a worker idle, Stop
  std::condition_variable m_idleChanged;  // for the download thread: a worker idle
  bool m_stop = true;  // set while no run is in progress
  std::array<bool, kWorkerCount> m_idle{};
  std::array<bool, kWorkerCount> m_cancel{};
  uint64_t m_generation = 0;
};

}  // namespace engine
