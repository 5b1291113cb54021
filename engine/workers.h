#pragma once
// The five workers of a run.
#include "links/download_project.h"
#include "engine/run_context.h"

// Starts the five workers and returns when all five are idle or have ended
// at the same time, and their threads are gone.
int RunWorkers(CDownloadProject& project, const RunContext& context);

// The loop of worker k: take a link, fetch it, until there is nothing left,
// the run is stopped, or a limit is met.
void WorkerThreadProc(CDownloadProject& project, const RunContext& context, int k);
