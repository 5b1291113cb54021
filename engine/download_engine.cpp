#include "engine/download_engine.h"

#include "engine/project_start.h"
#include "engine/run_context.h"
#include "platform/thread_priority.h"

DownloadEngine::DownloadEngine(const Program& program, EngineView& view,
                               std::filesystem::path programFolder)
    : m_program(program),
      m_view(view),
      m_programFolder(std::move(programFolder)),
      m_settings(program.name),
      m_project(program.IsQuorvash()) {}

DownloadEngine::~DownloadEngine() { Shutdown(); }

bool DownloadEngine::Download(const std::string& typed) {
  {
    std::lock_guard guard(m_stateMutex);
    if (m_state != EngineState::Idle || m_leaving) return false;
    if (typed.empty()) return false;
    m_state = EngineState::Running;
  }
  m_signals.ClearStop();
  std::string address = typed;
  if (m_program.prepareAddress) address = m_program.prepareAddress(typed, m_settings);
  m_view.ClearPictures();
  m_logs.Clear();

  std::lock_guard guard(m_stateMutex);
  // The thread of the run before may still be showing its end message.
  if (m_downloadThread.joinable()) m_finishedThreads.push_back(std::move(m_downloadThread));
  m_threadRunning = true;
  m_downloadThread = std::thread(&DownloadEngine::DownloadThreadProc, this, std::move(address));
  return true;
}

void DownloadEngine::Stop() {
  m_signals.SetStop();
  std::lock_guard guard(m_stateMutex);
  if (m_state == EngineState::Running) m_state = EngineState::Stopping;
}

void DownloadEngine::Cancel(int worker) {
  std::lock_guard guard(m_stateMutex);
  // A press while no run is in progress must not touch a later run.
  if (m_state == EngineState::Running || m_state == EngineState::Stopping) m_signals.SetCancel(worker);
}

void DownloadEngine::SetState(EngineState state) {
  std::lock_guard guard(m_stateMutex);
  m_state = state;
}

EngineState DownloadEngine::State() const {
  std::lock_guard guard(m_stateMutex);
  return m_state;
}

int DownloadEngine::LastStartResult() const {
  std::lock_guard guard(m_stateMutex);
  return m_lastStartResult;
}

std::filesystem::path DownloadEngine::ProjectFolder() const {
  std::lock_guard guard(m_stateMutex);
  return m_projectFolder;
}

void DownloadEngine::DownloadThreadProc(std::string address) {
  platform::RaiseThreadPriority();
  PageCache pages;
  RunContext context{m_program, m_view, m_logs, m_signals, {}, &m_leaving, &pages,
                     [this] { SetState(EngineState::Finishing); }};
  ProjectStart start{address, m_programFolder, m_startedWithAddress};

  // The run ends in finishing once the workers are done; StartProject
  // returns after the project file is written.
  const int result = StartProject(m_project, context, m_settings, start);
  {
    std::lock_guard guard(m_stateMutex);
    m_lastStartResult = result;
    if (result == kStartOk) m_projectFolder = context.projectFolder;
    m_state = EngineState::Idle;
  }
  if (result != kStartOk) {
    m_signals.SetStop();
    if (!m_leaving) m_view.ShowError("Meet some error, sotpped.");
  } else if (context.Ask(Question::ViewFiles, "Download finish. Do you want to view the download files?")) {
    m_view.OpenFolder(context.projectFolder.string() + "/");
  }
  std::lock_guard guard(m_stateMutex);
  m_threadRunning = false;
  m_runDone.notify_all();
}

void DownloadEngine::WaitForRun() {
  std::unique_lock lock(m_stateMutex);
  m_runDone.wait(lock, [&] { return !m_threadRunning; });
}

void DownloadEngine::Shutdown() {
  m_leaving = true;
  m_signals.SetStop();
  std::vector<std::thread> threads;
  {
    std::lock_guard guard(m_stateMutex);
    threads = std::move(m_finishedThreads);
    m_finishedThreads.clear();
    if (m_downloadThread.joinable()) threads.push_back(std::move(m_downloadThread));
  }
  for (auto& t : threads) t.join();
}
