#pragma once
// The five workers of a run.
#include <functional>

#include "engine/fetch_file.h"
#include "engine/polite_fetch.h"

namespace engine {

// What the workers bring besides the files' way: their rows and signals,
// how their sessions present themselves, which link they take next, and
// how polite the run is.
struct Crew {
  WorkerRows& rows;
  RunSignals& signals;
  platform::HttpIdentity identity;
  links::ChoiceRules choice;
  PoliteSettings polite;
};
Crew CrewFor(const Program& program, const RunSwitches& switches, WorkerRows& rows, RunSignals& signals);

// `RunWorkers`: starts the five workers and returns when all five are idle or
// have ended at the same time and their threads are gone. `whileRunning` is
// called on the calling thread now and then (after files have finished, and
// every few seconds) until then.
void RunWorkers(Fetching fetching, const Crew& crew, const std::function<void()>& whileRunning = {});

// `WorkerThreadProc`: take a link, fetch it, until there is nothing left,
// the run is stopped, or a limit is met.
void WorkerThreadProc(const Fetching& fetching, const Crew& crew, int worker);

}  // namespace engine
