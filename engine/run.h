#pragma once
// One download, from Download() to RunEnded: everything its threads share,
// so that a run starting while the one before is still ending touches
// nothing of it.
#include <thread>

#include "engine/engine_view.h"
#include "engine/page_cache.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"
#include "engine/worker_rows.h"
#include "links/link_list.h"

namespace engine {

struct Run {
  Run(RunId runId, bool everyLinkNew) : id(runId), logs(runId), links(everyLinkNew) {}

  const RunId id;
  RunSignals signals;
  RunLogs logs;
  WorkerRows rows;
  PageCache pages;
  links::LinkList links;

  // Guarded by the engine's state mutex.
  std::thread thread;
  EngineState state = EngineState::Running;
  bool ended = false;       // RunEnded is being or has been called
  bool threadDone = false;  // its thread has nothing left to do but return
};

}  // namespace engine
