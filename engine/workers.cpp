#include "engine/workers.h"

#include <thread>
#include <vector>

#include "engine/link_choice.h"
#include "engine/page_downloader.h"

namespace {
// The fallback poll of an idle worker; it is normally woken sooner.
constexpr std::chrono::milliseconds kIdlePoll(1000);
}

void WorkerThreadProc(CDownloadProject& project, const RunContext& context, int k) {
  RunSignals& signals = context.signals;
  // One HTTP session per worker, so connections are reused between files.
  platform::HttpSession session(context.program.name);
  const bool preferredPass = !context.program.IsQuorvash();

  while (!signals.StopSet()) {
    const uint64_t seen = signals.Generation();
    int chosen = -1;
    std::string link;
    {
      std::lock_guard guard(project.m_lock);
      if (project.m_maxCount > 0 && project.m_count >= project.m_maxCount) break;
      const Choice choice = ChooseLink(project, preferredPass, chosen);
      if (choice == Choice::EndWorker) break;
      if (choice == Choice::Chosen) {
        project.m_count += 1;
        link = project.m_links[size_t(chosen)];
        signals.ClearIdle(k);
        signals.ClearCancel(k);
      }
    }
    if (chosen >= 0) {
      context.view.SetWorkerLabel(k, link.empty() ? "index.htm" : link);
      {
        CPageDownloader downloader(&project, k, context, session);
        downloader.FetchFile(link, chosen);
      }
      // Its page's links are all in the list now: idle workers may look.
      signals.NotifyProgress();
      continue;
    }
    // Nothing to take. The run ends when all five are idle together: then
    // no worker fetches, so no new link can appear.
    signals.SetIdle(k);
    if (signals.AllIdle()) break;
    signals.WaitForProgress(seen, kIdlePoll);
  }
  signals.SetIdle(k);
}

int RunWorkers(CDownloadProject& project, const RunContext& context) {
  context.signals.ResetWorkers();  // all ten signals exist before any worker starts
  std::vector<std::thread> workers;
  workers.reserve(kWorkerCount);
  for (int k = 0; k < kWorkerCount; ++k)
    workers.emplace_back(WorkerThreadProc, std::ref(project), std::cref(context), k);
  context.signals.WaitAllIdle();
  // Every worker ends promptly once all are idle: each was woken by the last
  // idle signal and finds the others idle too.
  for (auto& t : workers) t.join();
  return 1;
}
