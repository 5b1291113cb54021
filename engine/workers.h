#pragma once
// The five workers of a run.
#include <functional>

#include "engine/run_context.h"

namespace engine {

// `RunWorkers`: starts the five workers and returns when all five are idle or
// have ended at the same time and their threads are gone. `whileRunning` is
// called on the calling thread now and then (after files have finished, and
// every few seconds) until then.
void RunWorkers(RunContext& run, const std::function<void()>& whileRunning = {});

// `WorkerThreadProc`: take a link, fetch it, until there is nothing left,
// the run is stopped, or a limit is met.
void WorkerThreadProc(RunContext& run, int worker);

}  // namespace engine
