#include "engine/workers.h"

#include <thread>
#include <vector>

#include "platform/picture_decoder.h"
#include "platform/thread_priority.h"

namespace engine {

namespace {
// The fallback poll of an idle worker; it is normally woken sooner.
constexpr std::chrono::milliseconds kIdlePoll(1000);
// How often the download thread looks up from its wait while workers run.
constexpr std::chrono::milliseconds kWatchPoll(250);
}  // namespace

Crew CrewFor(const Program& program, const RunSwitches& switches, WorkerRows& rows, RunSignals& signals) {
  return {rows, signals, IdentityFor(program, switches), switches.Choice(!program.everyLinkNew),
          PoliteSettingsFor(program, switches), program.workersYield};
}

void WorkerThreadProc(const Fetching& fetching, const Crew& crew, int k) {
  // Started by the raised download thread, workers run at normal priority:
  // above it they would take the cores from a server on the same machine.
  if (crew.yield)
    platform::LowerThreadPriority(platform::kWorkerNice);
  else
    platform::NormalThreadPriority();
  RunSignals& signals = crew.signals;
  links::LinkList& list = fetching.links;
  RunCounters& counters = fetching.tallies.counters;
  const WorkerLane lane{k, crew.rows, signals};
  // One HTTP session per worker, so connections are reused between files.
  platform::HttpSession session(crew.identity);

  while (!signals.StopSet()) {
    const uint64_t seen = signals.Generation();
    links::TakenLink taken;
    const links::TakeResult result = list.TakeNext(crew.choice, taken, [&] { signals.ClearIdle(k); });
    if (result == links::TakeResult::EndWorker) break;
    if (result == links::TakeResult::Taken) {
      crew.rows.SetLabel(k, taken.link.empty() ? "index.htm" : taken.link);
      const int listed = list.Size();
      FetchFile(fetching, lane, session, taken.link, taken.index);
      // Its page's links are all in the list now: idle workers may look.
      // A file that added none gives them nothing to look at.
      if (list.Size() != listed) signals.NotifyProgress();
      continue;
    }
    // Nothing to take. The run ends when all five are idle together: then
    // no worker fetches, so no new link can appear.
    signals.SetIdle(k);
    if (signals.AllIdle()) break;
    counters.idleWaits.fetch_add(1);
    signals.WaitForProgress(seen, kIdlePoll);
  }
  counters.connections.fetch_add(session.ConnectionsOpened());
  signals.SetIdle(k);
}

void RunWorkers(Fetching fetching, const Crew& crew, const std::function<void()>& whileRunning) {
  crew.signals.ResetWorkers();  // all ten signals exist before any worker starts
  // robots.txt and pacing hold across the five workers of this run.
  Politeness polite(crew.polite);
  fetching.receiving.polite = &polite;
  std::vector<std::thread> workers;
  workers.reserve(kWorkerCount);
  for (int k = 0; k < kWorkerCount; ++k)
    workers.emplace_back(WorkerThreadProc, std::cref(fetching), std::cref(crew), k);
  // The picture decoders that read stored headers (here or in a view) load
  // beside the first fetches, once the workers exist: while a module loads,
  // no thread can be created. A worker that needs them first waits for them.
  std::jthread decoders([] {
    platform::NormalThreadPriority();
    platform::LoadPictureDecoders();
  });
  while (!crew.signals.WaitAllIdleFor(kWatchPoll)) {
    if (whileRunning) whileRunning();
  }
  // Every worker ends promptly once all are idle: each was woken by the last
  // idle signal and finds the others idle too.
  for (auto& t : workers) t.join();
  fetching.tallies.counters.requests.fetch_add(polite.RobotsRequests());
}

}  // namespace engine
