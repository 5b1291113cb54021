#include "engine/download_engine.h"

#include "engine/page_cache.h"
#include "engine/project_start.h"
#include "engine/run_context.h"
#include "platform/thread_priority.h"

namespace engine {

DownloadEngine::DownloadEngine(const Program& program, EngineView& view, std::filesystem::path programFolder)
    : m_program(program),
      m_view(view),
      m_programFolder(std::move(programFolder)),
      m_settings(program.name),
      m_links(program.everyLinkNew) {}

DownloadEngine::~DownloadEngine() { Shutdown(); }

bool DownloadEngine::Download(const std::string& typed) {
  {
    std::lock_guard guard(m_stateMutex);
    if (m_state != EngineState::Idle || m_leaving || typed.empty()) return false;
    m_state = EngineState::Running;
  }
  m_view.StateChanged(EngineState::Running);
  m_signals.ClearStop();
  std::string address = typed;
  if (m_program.prepareAddress) address = m_program.prepareAddress(typed, m_settings);
  m_view.ClearPictures();
  m_logs.Clear();

  std::lock_guard guard(m_stateMutex);
  // The thread of the run before may still be showing its end message.
  if (m_downloadThread.joinable()) m_finishedThreads.push_back(std::move(m_downloadThread));
  ++m_threadsRunning;
  m_downloadThread = std::thread(&DownloadEngine::DownloadThreadProc, this, std::move(address));
  return true;
}

void DownloadEngine::Stop() {
  m_signals.SetStop();
  bool changed = false;
  {
    std::lock_guard guard(m_stateMutex);
    if (m_state == EngineState::Running) {
      m_state = EngineState::Stopping;
      changed = true;
    }
  }
  if (changed) m_view.StateChanged(EngineState::Stopping);
}

void DownloadEngine::Cancel(int worker) {
  std::lock_guard guard(m_stateMutex);
  // A press while no run is in progress must not touch a later run.
  if (m_state == EngineState::Running || m_state == EngineState::Stopping) m_signals.SetCancel(worker);
}

bool DownloadEngine::Leave() {
  m_leaving = true;
  Stop();
  std::lock_guard guard(m_stateMutex);
  return m_threadsRunning > 0;
}

void DownloadEngine::SetState(EngineState state) {
  {
    std::lock_guard guard(m_stateMutex);
    m_state = state;
  }
  m_view.StateChanged(state);
}

EngineState DownloadEngine::State() const {
  std::lock_guard guard(m_stateMutex);
  return m_state;
}

RunSummary DownloadEngine::LastRun() const {
  std::lock_guard guard(m_stateMutex);
  return m_lastRun;
}

std::filesystem::path DownloadEngine::ProjectFolder() const {
  std::lock_guard guard(m_stateMutex);
  return m_projectFolder;
}

std::string DownloadEngine::EndMessage(const RunSummary& summary) const {
  std::string text = "Download finish.";
  if (summary.filesNotStored > 0)
    text += " " + std::to_string(summary.filesNotStored) + (summary.filesNotStored == 1 ? " file" : " files") +
            " could not be stored (" + summary.storeError + ").";
  if (!summary.projectFileSaved) text += " The project file could not be saved (" + summary.projectFileError + ").";
  return text + " Do you want to view the download files?";
}

void DownloadEngine::DownloadThreadProc(std::string address) {
  platform::RaiseThreadPriority();
  PageCache pages;
  RunContext run{m_program, m_view, m_logs, m_rows, m_signals, m_links, m_leaving};
  run.pages = &pages;
  ProjectStart start{address, m_programFolder, m_startedWithAddress,
                     [this] { SetState(EngineState::Finishing); }};

  const RunSummary summary = StartProject(run, m_settings, start);
  {
    std::lock_guard guard(m_stateMutex);
    m_lastRun = summary;
    if (!summary.projectFolder.empty()) m_projectFolder = summary.projectFolder;
    m_state = EngineState::Idle;
  }
  m_view.StateChanged(EngineState::Idle);
  m_signals.SetStop();
  switch (summary.result) {
    case StartResult::NoAddress:
    case StartResult::BadAddress:
      if (!m_leaving)
        m_view.ShowError("Meet some error, sotpped." + (summary.startError.empty() ? "" : "\n" + summary.startError));
      break;
    case StartResult::ProjectFileRefused:
    case StartResult::Abandoned:
      break;
    case StartResult::Ok:
      if (run.Ask(Question::ViewFiles, EndMessage(summary))) m_view.OpenFolder(summary.projectFolder);
      break;
  }
  {
    std::lock_guard guard(m_stateMutex);
    --m_threadsRunning;
    m_runDone.notify_all();
  }
  m_view.RunEnded(summary);
}

void DownloadEngine::WaitForRun() {
  std::unique_lock lock(m_stateMutex);
  m_runDone.wait(lock, [&] { return m_threadsRunning == 0; });
}

void DownloadEngine::Shutdown() {
  Leave();
  std::vector<std::thread> threads;
  {
    std::lock_guard guard(m_stateMutex);
    threads = std::move(m_finishedThreads);
    m_finishedThreads.clear();
    if (m_downloadThread.joinable()) threads.push_back(std::move(m_downloadThread));
  }
  for (auto& t : threads) t.join();
}

}  // namespace engine
