#pragma once
// The Download, Stop and Cancel commands, the download thread, and leaving.
// The dialog, the console front ends and the tests all drive this.
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "links/download_project.h"
#include "engine/engine_view.h"
#include "engine/program.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"
#include "platform/settings_store.h"

enum class EngineState { Idle, Running, Stopping, Finishing };

class DownloadEngine {
 public:
  DownloadEngine(const Program& program, EngineView& view, std::filesystem::path programFolder);
  ~DownloadEngine();  // leaves: see Shutdown
  DownloadEngine(const DownloadEngine&) = delete;
  DownloadEngine& operator=(const DownloadEngine&) = delete;

  // Tarvelin started with an address: no resume question.
  void SetStartedWithAddress(bool started) { m_startedWithAddress = started; }

  // Starts a run unless one is in progress or the address is empty. Returns
  // whether a run started.
  bool Download(const std::string& address);
  void Stop();
  void Cancel(int worker);
  // Stops a run in progress and waits for its threads; questions the run
  // was about to ask are answered No. Safe to call more than once.
  void Shutdown();

  EngineState State() const;
  // Blocks until the download thread of the last run has returned (after
  // its end message).
  void WaitForRun();

  const platform::SettingsStore& Settings() const { return m_settings; }
  RunLogs& Logs() { return m_logs; }
  CDownloadProject& Project() { return m_project; }
  std::filesystem::path ProjectFolder() const;
  const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
  // The result of the last run's start (0 ok, 1 no address, 2 bad address).
  int LastStartResult() const;

 private:
  void DownloadThreadProc(std::string address);
  void SetState(EngineState state);

  const Program& m_program;
  EngineView& m_view;
  const std::filesystem::path m_programFolder;
  platform::SettingsStore m_settings;
  CDownloadProject m_project;
  RunLogs m_logs;
  RunSignals m_signals;
  bool m_startedWithAddress = false;
  std::atomic<bool> m_leaving{false};

  // m_stateMutex guards the state, the thread objects and what the last run left.
  mutable std::mutex m_stateMutex;
  std::condition_variable m_runDone;
  EngineState m_state = EngineState::Idle;
  std::thread m_downloadThread;
  std::vector<std::thread> m_finishedThreads;
  bool m_threadRunning = false;
  std::filesystem::path m_projectFolder;
  int m_lastStartResult = 0;
};
