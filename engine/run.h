#pragma once
// One download, from Download() to RunEnded: everything its threads share,
// so that a run starting while the one before is still ending touches
// nothing of it.
#include <thread>

#include "engine/engine_view.h"
#include "engine/page_cache.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"
#include "engine/run_tallies.h"
#include "engine/worker_rows.h"
#include "links/link_list.h"

namespace engine {

// What the download thread and the five workers of one run share; each is
// guarded on its own.
struct RunParts {
  RunParts(RunId runId, bool everyLinkNew) : logs(runId), links(everyLinkNew) {}

  RunSignals signals;
  RunLogs logs;
  WorkerRows rows;
  PageCache pages;
  links::LinkList links;
  RunTallies tallies;
};

struct Run : RunParts {
  Run(RunId runId, bool everyLinkNew) : RunParts(runId, everyLinkNew), id(runId) {}

  const RunId id;

  // Guarded by the engine's state mutex.
  std::thread thread;
  EngineState state = EngineState::Running;
  bool ended = false;       // RunEnded is being or has been called
  bool threadDone = false;  // its thread has nothing left to do but return
};

}  // namespace engine
