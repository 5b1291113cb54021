#pragma once
// What the download thread and the five workers of a run share.
#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>

#include "engine/engine_view.h"
#include "engine/file_store.h"
#include "engine/page_cache.h"
#include "engine/program.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"
#include "engine/run_switches.h"
#include "engine/worker_rows.h"
#include "links/link_list.h"

namespace engine {

class Politeness;

// Files that arrived whole but could not be written.
class StoreFailures {
 public:
  void Add(const std::string& error) {
    std::lock_guard g(m_mutex);
    if (m_count++ == 0) m_first = error;
  }
  int Count() const {
    std::lock_guard g(m_mutex);
    return m_count;
  }
  std::string First() const {
    std::lock_guard g(m_mutex);
    return m_first;
  }

 private:
  mutable std::mutex m_mutex;
  int m_count = 0;
  std::string m_first;
};

// How link 0, the start address, failed; set by the worker that finished it.
class StartFailureNote {
 public:
  void Set(StartAddressFailure failure, const std::string& reason) {
    std::lock_guard g(m_mutex);
    m_failure = failure;
    m_reason = reason;
  }
  void CopyTo(RunSummary& summary) const {
    std::lock_guard g(m_mutex);
    summary.startFailure = m_failure;
    summary.startFailureReason = m_reason;
  }

 private:
  mutable std::mutex m_mutex;
  StartAddressFailure m_failure = StartAddressFailure::None;
  std::string m_reason;
};

// RunCounts while the run goes on: each worker adds to them.
struct RunCounters {
  std::atomic<int> filesTaken{0}, requests{0}, fromMemory{0}, leftToOthers{0}, connections{0}, idleWaits{0};
  std::atomic<int> robotsRefused{0}, retries{0};
  RunCounts Read() const {
    return {filesTaken.load(), requests.load(), fromMemory.load(), leftToOthers.load(), connections.load(),
            idleWaits.load(), robotsRefused.load(), retries.load()};
  }
};

struct RunContext {
  const Program& program;
  EngineView& view;
  RunId runId;
  RunLogs& logs;
  WorkerRows& rows;
  RunSignals& signals;
  links::LinkList& links;
  // Set when the program is leaving: questions are answered No and no
  // picture is handed to the view.
  const std::atomic<bool>& leaving;
  RunSwitches switches;
  Site site;
  FileStore* store = nullptr;
  PageCache* pages = nullptr;  // none: every request goes to the network
  Politeness* polite = nullptr;  // robots.txt, pacing; none: neither
  StoreFailures storeFailures;
  std::atomic<int> finishedFiles{0};
  RunCounters counters;
  StartFailureNote startFailure;

  bool Ask(Question question, const std::string& text) const {
    if (leaving.load()) return false;
    const bool yes = view.Ask(question, text);
    return yes && !leaving.load();
  }
  void AddPicture(const StoredPicture& picture) const {
    if (!leaving.load()) view.AddPicture(picture);
  }
  void Log(std::string line) const { logs.AppendRun(std::move(line)); }
};

}  // namespace engine
