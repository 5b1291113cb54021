#include "engine/download_engine.h"

#include <algorithm>

#include "engine/project_start.h"
#include "engine/run_hand_off.h"
#include "platform/process_setup.h"
#include "platform/thread_priority.h"

namespace engine {

namespace {

// The reason, when the run knows one, goes on the next line.
std::string ErrorMessage(const RunSummary& summary) {
  const std::string text = "Meet some error, sotpped.";
  return summary.error.empty() ? text : text + "\n" + summary.error;
}

}  // namespace

DownloadEngine::DownloadEngine(const Program& program, EngineView& view, std::filesystem::path programFolder)
    : m_program(program), m_view(view), m_programFolder(std::move(programFolder)), m_settings(program.name) {
  platform::SetUpProcess();
}

DownloadEngine::~DownloadEngine() { Shutdown(); }

bool DownloadEngine::Download(const std::string& typed) {
  std::shared_ptr<Run> run;
  std::vector<std::shared_ptr<Run>> finished;
  {
    std::lock_guard guard(m_stateMutex);
    if ((m_current && m_current->state != EngineState::Idle) || m_leaving || typed.empty()) return false;
    run = std::make_shared<Run>(++m_lastId, m_program.everyLinkNew);
    m_current = run;
    // A thread that is through only has to return; one still asking its
    // end question (or calling this from inside RunEnded) is joined later.
    std::erase_if(m_unjoined, [&](std::shared_ptr<Run>& old) {
      if (!old->threadDone) return false;
      finished.push_back(std::move(old));
      return true;
    });
    m_unjoined.push_back(run);
  }
  for (auto& old : finished) old->thread.join();
  m_view.StateChanged(run->id, EngineState::Running);
  std::string address = typed;
  if (m_program.prepareAddress) address = m_program.prepareAddress(typed, m_settings);
  m_view.ClearPictures(run->id);

  std::lock_guard guard(m_stateMutex);
  run->thread = std::thread(&DownloadEngine::DownloadThreadProc, this, std::ref(*run), std::move(address));
  m_runDone.notify_all();
  return true;
}

std::shared_ptr<Run> DownloadEngine::Current() const {
  std::lock_guard guard(m_stateMutex);
  return m_current;
}

void DownloadEngine::Stop() {
  const auto run = Current();
  if (!run) return;
  run->signals.SetStop();
  bool changed = false;
  {
    std::lock_guard guard(m_stateMutex);
    if (run->state == EngineState::Running) {
      run->state = EngineState::Stopping;
      changed = true;
    }
  }
  if (changed) m_view.StateChanged(run->id, EngineState::Stopping);
}

void DownloadEngine::Cancel(int worker) {
  std::lock_guard guard(m_stateMutex);
  // A press while no run is in progress must not touch a later run.
  if (m_current && (m_current->state == EngineState::Running || m_current->state == EngineState::Stopping))
    m_current->signals.SetCancel(worker);
}

bool DownloadEngine::Leave() {
  m_leaving = true;
  Stop();
  std::lock_guard guard(m_stateMutex);
  return std::any_of(m_unjoined.begin(), m_unjoined.end(), [](const auto& run) { return !run->ended; });
}

void DownloadEngine::SetState(Run& run, EngineState state) {
  {
    std::lock_guard guard(m_stateMutex);
    run.state = state;
  }
  m_view.StateChanged(run.id, state);
}

EngineState DownloadEngine::State() const {
  std::lock_guard guard(m_stateMutex);
  return m_current ? m_current->state : EngineState::Idle;
}

RunId DownloadEngine::CurrentRun() const {
  std::lock_guard guard(m_stateMutex);
  return m_current ? m_current->id : 0;
}

std::array<WorkerRow, kWorkerCount> DownloadEngine::Rows() const {
  const auto run = Current();
  return run ? run->rows.Snapshot() : std::array<WorkerRow, kWorkerCount>{};
}

LogText DownloadEngine::ReadRunLog(LogCursor& cursor) const {
  const auto run = Current();
  return run ? run->logs.ReadRun(cursor) : LogText{};
}

LogText DownloadEngine::ReadTitleLog(LogCursor& cursor) const {
  const auto run = Current();
  return run ? run->logs.ReadTitle(cursor) : LogText{};
}

std::string DownloadEngine::RunLogText() const {
  const auto run = Current();
  return run ? run->logs.RunText() : std::string();
}

links::ProjectRecord DownloadEngine::Links() const {
  const auto run = Current();
  return run ? run->links.Copy() : links::ProjectRecord{};
}

int DownloadEngine::LinksWaiting() const {
  const auto run = Current();
  return run ? run->links.Waiting() : 0;
}

RunSummary DownloadEngine::LastRun() const {
  std::lock_guard guard(m_stateMutex);
  return m_lastRun;
}

std::filesystem::path DownloadEngine::ProjectFolder() const {
  std::lock_guard guard(m_stateMutex);
  return m_projectFolder;
}

std::string DownloadEngine::EndMessage(const RunSummary& summary, const std::string& address) const {
  std::string text = "Download finish.";
  if (summary.startFailure != StartAddressFailure::None)
    text += " The start address " + address + " could not be fetched: " + summary.startFailureReason + ".";
  if (!summary.diskError.empty())
    text += " The download was stopped: the disk takes no more files (" + summary.diskError + ").";
  if (summary.filesNotStored > 0)
    text += " " + std::to_string(summary.filesNotStored) + (summary.filesNotStored == 1 ? " file" : " files") +
            " could not be stored (" + summary.storeError + ").";
  if (!summary.projectFileSaved) text += " The project file could not be saved (" + summary.projectFileError + ").";
  return text + " Do you want to view the download files?";
}

std::string LockedMessage(const RunSummary& summary) {
  return "Another download is using the project folder " + summary.projectFolder.string() +
         (summary.lockHolder > 0 ? " (process " + std::to_string(summary.lockHolder) + ")" : std::string()) +
         ". Try again when it has finished.";
}

void DownloadEngine::DownloadThreadProc(Run& run, std::string address) {
  platform::RaiseThreadPriority();
  const RunHandOff view(m_view, run.id, m_leaving);
  ProjectStart start{address, m_programFolder, m_startedWithAddress,
                     [this, &run] { SetState(run, EngineState::Finishing); }};

  const RunSummary summary = StartProject(m_program, run, view, m_settings, start);
  run.signals.SetStop();
  {
    std::lock_guard guard(m_stateMutex);
    m_lastRun = summary;
    if (!summary.projectFolder.empty()) m_projectFolder = summary.projectFolder;
    run.state = EngineState::Idle;
  }
  m_view.StateChanged(run.id, EngineState::Idle);
  switch (summary.result) {
    case StartResult::NoAddress:
    case StartResult::BadAddress:
      if (!m_leaving) m_view.ShowError(ErrorMessage(summary));
      break;
    case StartResult::ProjectLocked:
      if (!m_leaving) m_view.ShowError(LockedMessage(summary));
      break;
    case StartResult::ProjectFileRefused:
    case StartResult::Abandoned:
      break;
    case StartResult::Ok:
      if (view.Ask(Question::ViewFiles, EndMessage(summary, address))) m_view.OpenFolder(run.id, summary.projectFolder);
      break;
  }
  {
    std::lock_guard guard(m_stateMutex);
    run.ended = true;
    m_runDone.notify_all();
  }
  m_view.RunEnded(run.id, summary);
  std::lock_guard guard(m_stateMutex);
  run.threadDone = true;
}

void DownloadEngine::WaitForRun() {
  std::unique_lock lock(m_stateMutex);
  m_runDone.wait(lock, [&] {
    return std::all_of(m_unjoined.begin(), m_unjoined.end(), [](const auto& run) { return run->ended; });
  });
}

void DownloadEngine::Shutdown() {
  Leave();
  std::vector<std::shared_ptr<Run>> runs;
  {
    std::unique_lock lock(m_stateMutex);
    // A Download() on another thread may be between its checks and its thread.
    m_runDone.wait(lock, [&] {
      return std::all_of(m_unjoined.begin(), m_unjoined.end(), [](const auto& run) { return run->thread.joinable(); });
    });
    runs = std::move(m_unjoined);
    m_unjoined.clear();
  }
  for (auto& run : runs) run->thread.join();
}

}  // namespace engine
