#pragma once
// The stop signal, the idle signals of the five workers (manual-reset), and
// how often each worker's Cancel was pressed: a file is cancelled by a press
// after it began. One mutex guards them; a condition variable wakes an idle
// worker when another one has finished a file or gone idle. Stop and the
// Cancel counts change under the mutex too, but read without it: a worker
// asks for them at every piece of every body.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "engine/worker_rows.h"

namespace engine {

class RunSignals {
 public:
  void SetStop();
  bool StopSet() const;

  // A new run: every idle signal clear.
  void ResetWorkers();

  void SetIdle(int worker);
  void ClearIdle(int worker);
  bool AllIdle() const;
  // Waits at most `timeout`, less when all five go idle; returns whether
  // all five are idle.
  bool WaitAllIdleFor(std::chrono::milliseconds timeout);

  void SetCancel(int worker);
  uint64_t Cancels(int worker) const;

  // Worker `worker` waits until `until`; Stop or a press of its Cancel end
  // the wait at once. Returns whether the moment came uninterrupted.
  // `cancelsSeen`: the worker's Cancel count when its file began.
  bool WaitUntil(int worker, uint64_t cancelsSeen, std::chrono::steady_clock::time_point until);

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
  std::atomic<bool> m_stop{false};
  std::array<bool, kWorkerCount> m_idle{};
  std::array<std::atomic<uint64_t>, kWorkerCount> m_cancels{};
  uint64_t m_generation = 0;
};

}  // namespace engine
