#pragma once
// The Download, Stop and Cancel commands, the download thread, leaving, and
// what a view reads at its own pace. The window, the console front ends and
// the tests all drive this.
#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_view.h"
#include "engine/program.h"
#include "engine/run.h"
#include "platform/settings_store.h"

namespace engine {

// What a run that found its project folder in use says.
std::string LockedMessage(const RunSummary& summary);

class DownloadEngine {
 public:
  DownloadEngine(const Program& program, EngineView& view, std::filesystem::path programFolder);
  // Leaves and waits for the threads. From a view's own thread, call it only
  // after RunEnded (or when no run was started): a worker may be waiting for
  // that thread.
  ~DownloadEngine();
  DownloadEngine(const DownloadEngine&) = delete;
  DownloadEngine& operator=(const DownloadEngine&) = delete;

  // Tarvelin started with an address: no resume question.
  void SetStartedWithAddress(bool started) { m_startedWithAddress = started; }

  // Starts a run unless one is in progress, the engine is leaving, or the
  // address is empty. Returns whether a run started.
  bool Download(const std::string& address);
  void Stop();
  void Cancel(int worker);
  // Asks a run in progress to end, without waiting: from now on questions
  // count as No and no picture is handed to the view. Returns whether a run
  // is still ending; RunEnded comes when it has (once for every run).
  bool Leave();
  // Leave() and wait for the threads (console and tests).
  void Shutdown();
  // Blocks until the download threads of all runs are done. Not from a
  // thread the view makes workers wait for.
  void WaitForRun();

  EngineState State() const;
  // The run started last; 0 before the first.
  RunId CurrentRun() const;
  // What a view reads of the run started last.
  std::array<WorkerRow, kWorkerCount> Rows() const;
  LogText ReadRunLog(LogCursor& cursor) const;
  LogText ReadTitleLog(LogCursor& cursor) const;
  std::string RunLogText() const;
  // The list as it stands (a copy).
  links::ProjectRecord Links() const;
  // Links found and not yet taken, in the run started last.
  int LinksWaiting() const;
  // The project folder of the run in progress or the last one.
  std::filesystem::path ProjectFolder() const;
  RunSummary LastRun() const;

  const platform::SettingsStore& Settings() const { return m_settings; }
  // A setting for this engine's runs only; the store keeps its own value.
  void OverrideSetting(const std::string& key, const std::string& value) { m_settings.Override(key, value); }

 private:
  void DownloadThreadProc(Run& run, std::string address);
  void SetState(Run& run, EngineState state);
  std::shared_ptr<Run> Current() const;
  std::string EndMessage(const RunSummary& summary, const std::string& address) const;

  const Program& m_program;
  EngineView& m_view;
  const std::filesystem::path m_programFolder;
  platform::SettingsStore m_settings;
  bool m_startedWithAddress = false;
  std::atomic<bool> m_leaving{false};

  // m_stateMutex guards the runs, their states and threads, and what the
  // last run left.
  mutable std::mutex m_stateMutex;
  std::condition_variable m_runDone;
  RunId m_lastId = 0;
  std::shared_ptr<Run> m_current;
  std::vector<std::shared_ptr<Run>> m_unjoined;  // runs whose thread has not been joined
  std::filesystem::path m_projectFolder;
  RunSummary m_lastRun;
};

}  // namespace engine
