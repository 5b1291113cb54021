#pragma once
// The Download, Stop and Cancel commands, the download thread, leaving, and
// what a view reads at its own pace. The window, the console front ends and
// the tests all drive this.
#include <array>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/engine_view.h"
#include "engine/program.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"
#include "engine/worker_rows.h"
#include "links/link_list.h"
#include "platform/settings_store.h"

namespace engine {

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
  std::array<WorkerRow, kWorkerCount> Rows() const { return m_rows.Snapshot(); }
  LogText ReadRunLog(LogCursor& cursor) const { return m_logs.ReadRun(cursor); }
  LogText ReadTitleLog(LogCursor& cursor) const { return m_logs.ReadTitle(cursor); }
  std::string RunLogText() const { return m_logs.RunText(); }
  std::string TitleLogText() const { return m_logs.TitleText(); }
  // The list as it stands (a copy).
  links::ProjectRecord Links() const { return m_links.Copy(); }
  int LinksWaiting() const { return m_links.Waiting(); }
  // The project folder of the run in progress or the last one.
  std::filesystem::path ProjectFolder() const;
  RunSummary LastRun() const;

  const platform::SettingsStore& Settings() const { return m_settings; }
  // A setting for this engine's runs only; the store keeps its own value.
  void OverrideSetting(const std::string& key, const std::string& value) { m_settings.Override(key, value); }
  const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
  const Program& GetProgram() const { return m_program; }

 private:
  void DownloadThreadProc(std::string address);
  void SetState(EngineState state);
  std::string EndMessage(const RunSummary& summary) const;

  const Program& m_program;
  EngineView& m_view;
  const std::filesystem::path m_programFolder;
  platform::SettingsStore m_settings;
  links::LinkList m_links;
  RunLogs m_logs;
  WorkerRows m_rows;
  RunSignals m_signals;
  bool m_startedWithAddress = false;
  std::atomic<bool> m_leaving{false};

  // m_stateMutex guards the state, the thread objects and what the last run left.
  mutable std::mutex m_stateMutex;
  std::condition_variable m_runDone;
  EngineState m_state = EngineState::Idle;
  std::thread m_downloadThread;
  std::vector<std::thread> m_finishedThreads;
  int m_threadsRunning = 0;  // a run's thread may still ask its end question as the next run starts
  std::filesystem::path m_projectFolder;
  RunSummary m_lastRun;
};

}  // namespace engine
