#pragma once
// What the workers of a run count and note as their files finish; read into
// the run's summary once they have ended.
#include <atomic>
#include <mutex>
#include <string>

#include "engine/run_outcome.h"

namespace engine {

// RunCounts while the run goes on: each worker adds to them.
struct RunCounters {
  std::atomic<int> filesTaken{0}, requests{0}, fromMemory{0}, leftToOthers{0}, connections{0}, idleWaits{0};
  std::atomic<int> robotsRefused{0}, retries{0};
  RunCounts Read() const {
    return {filesTaken.load(), requests.load(), fromMemory.load(), leftToOthers.load(), connections.load(),
            idleWaits.load(), robotsRefused.load(), retries.load()};
  }
};

class RunTallies {
 public:
  RunCounters counters;

  void FileFinished() { m_finishedFiles.fetch_add(1); }
  int FinishedFiles() const { return m_finishedFiles.load(); }

  // A file arrived whole but could not be written; the first reason is kept.
  void StoreFailed(const std::string& error) {
    std::lock_guard g(m_mutex);
    if (m_storeFailures++ == 0) m_firstStoreError = error;
  }
  // How link 0, the start address, failed; set by the worker that finished it.
  void StartFailed(StartAddressFailure failure, const std::string& reason) {
    std::lock_guard g(m_mutex);
    m_startFailure = failure;
    m_startFailureReason = reason;
  }
  void CopyTo(RunSummary& summary) const {
    summary.counts = counters.Read();
    std::lock_guard g(m_mutex);
    summary.filesNotStored = m_storeFailures;
    summary.storeError = m_firstStoreError;
    summary.startFailure = m_startFailure;
    summary.startFailureReason = m_startFailureReason;
  }

 private:
  std::atomic<int> m_finishedFiles{0};
  mutable std::mutex m_mutex;  // guards the failures
  int m_storeFailures = 0;
  std::string m_firstStoreError;
  StartAddressFailure m_startFailure = StartAddressFailure::None;
  std::string m_startFailureReason;
};

}  // namespace engine
