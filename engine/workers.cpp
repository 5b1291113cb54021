#include "engine/workers.h"

#include <thread>
#include <vector>

#include "engine/fetch_file.h"
#include "engine/polite_fetch.h"
#include "platform/thread_priority.h"

namespace engine {

namespace {
// The fallback poll of an idle worker; it is normally woken sooner.
constexpr std::chrono::milliseconds kIdlePoll(1000);
// How often the download thread looks up from its wait while workers run.
constexpr std::chrono::milliseconds kWatchPoll(250);
}  // namespace

void WorkerThreadProc(RunContext& run, int k) {
  if (run.program.workersYield) platform::LowerThreadPriority(platform::kWorkerNice);
  RunSignals& signals = run.signals;
  // One HTTP session per worker, so connections are reused between files.
  platform::HttpSession session(IdentityFor(run.program, run.switches));
  const links::ChoiceRules rules = run.switches.Choice(!run.program.everyLinkNew);

  while (!signals.StopSet()) {
    const uint64_t seen = signals.Generation();
    links::TakenLink taken;
    const links::TakeResult result = run.links.TakeNext(rules, taken, [&] { signals.ClearIdle(k); });
    if (result == links::TakeResult::EndWorker) break;
    if (result == links::TakeResult::Taken) {
      run.rows.SetLabel(k, taken.link.empty() ? "index.htm" : taken.link);
      const int listed = run.links.Size();
      FetchFile(run, k, session, taken.link, taken.index);
      // Its page's links are all in the list now: idle workers may look.
      // A file that added none gives them nothing to look at.
      if (run.links.Size() != listed) signals.NotifyProgress();
      continue;
    }
    // Nothing to take. The run ends when all five are idle together: then
    // no worker fetches, so no new link can appear.
    signals.SetIdle(k);
    if (signals.AllIdle()) break;
    run.counters.idleWaits.fetch_add(1);
    signals.WaitForProgress(seen, kIdlePoll);
  }
  run.counters.connections.fetch_add(session.ConnectionsOpened());
  signals.SetIdle(k);
}

void RunWorkers(RunContext& run, const std::function<void()>& whileRunning) {
  run.signals.ResetWorkers();  // all ten signals exist before any worker starts
  // robots.txt and pacing hold across the five workers of this run.
  Politeness polite(PoliteSettingsFor(run.program, run.switches));
  run.polite = &polite;
  std::vector<std::thread> workers;
  workers.reserve(kWorkerCount);
  for (int k = 0; k < kWorkerCount; ++k) workers.emplace_back(WorkerThreadProc, std::ref(run), k);
  while (!run.signals.WaitAllIdleFor(kWatchPoll)) {
    if (whileRunning) whileRunning();
  }
  // Every worker ends promptly once all are idle: each was woken by the last
  // idle signal and finds the others idle too.
  for (auto& t : workers) t.join();
  run.counters.requests.fetch_add(polite.RobotsRequests());
  run.polite = nullptr;
}

}  // namespace engine
