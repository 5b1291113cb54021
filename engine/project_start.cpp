#include "engine/project_start.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "engine/project_file.h"
#include "engine/project_lock.h"
#include "engine/settings_table.h"
#include "engine/workers.h"
#include "links/address.h"
#include "links/ascii.h"
#include "platform/folders.h"
#include "platform/thread_priority.h"

namespace engine {

namespace fs = std::filesystem;

namespace {

// project.cfg is written during the run too, so that a crash loses at most
// the last few files' states: after every few files, but never taking more
// than a tenth of the time (a large project's file is megabytes), and every
// second while files finish.
constexpr int kSaveEveryFiles = 8;
constexpr std::chrono::milliseconds kSaveAtMost(250);
constexpr std::chrono::seconds kSaveEvery(1);

// Makes the folder, which must then be a real directory and not a link.
// Returns why not, with the path; empty when it is.
std::string MakeProjectFolder(const fs::path& folder) {
  std::error_code ec;
  fs::create_directories(folder.parent_path(), ec);
  const int made = ::mkdir(folder.c_str(), 0755) == 0 ? 0 : errno;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) return folder.string() + ": " + std::strerror(made ? made : errno);
  if (!S_ISDIR(st.st_mode)) return folder.string() + ": " + std::strerror(made ? made : ENOTDIR);
  return {};
}

class PeriodicSave {
 public:
  PeriodicSave(const FileStore& store, RunParts& run)
      : m_store(store), m_run(run), m_last(std::chrono::steady_clock::now()) {}
  void operator()() {
    const int finished = m_run.tallies.FinishedFiles();
    if (finished == m_savedAt) return;
    const auto now = std::chrono::steady_clock::now();
    const auto since = now - m_last;
    const auto gap = std::max<std::chrono::steady_clock::duration>(kSaveAtMost, 10 * m_lastCost);
    if (!(finished - m_savedAt >= kSaveEveryFiles && since >= gap) && since < std::max<std::chrono::steady_clock::duration>(kSaveEvery, gap)) return;
    m_savedAt = finished;
    const std::string error = SaveProjectFile(m_store.FolderFd(), m_run.links.RecordForSaving());
    m_last = std::chrono::steady_clock::now();
    m_lastCost = m_last - now;
    if (!error.empty() && !m_reported) {
      m_reported = true;
      m_run.logs.AppendRun("project.cfg could not be saved: " + error);
    }
  }

 private:
  const FileStore& m_store;
  RunParts& m_run;
  int m_savedAt = 0;
  std::chrono::steady_clock::time_point m_last;
  std::chrono::steady_clock::duration m_lastCost{};
  bool m_reported = false;
};

}  // namespace

std::string ProjectFolderName(const links::Address& address) {
  if (address.port == (address.secure ? 443 : 80)) return address.host;
  // Not "host:port": FAT and some file managers refuse ':'.
  return address.host + "_" + std::to_string(address.port);
}

std::optional<fs::path> ProjectFolderFor(const fs::path& programFolder, const std::string& host) {
  if (host.empty() || host == "." || host == ".." ||
      host.find_first_of(std::string("/\\\0", 3)) != std::string::npos)
    return std::nullopt;
  const fs::path folder = programFolder / host;
  if (folder.parent_path() != programFolder || folder.filename() != host) return std::nullopt;
  return folder;
}

RunSummary StartProject(const Program& program, RunParts& run, const RunHandOff& view,
                        const platform::SettingsStore& settings, const ProjectStart& start) {
  RunSummary summary;
  run.rows.ResetAll();
  if (start.address.empty()) {
    summary.result = StartResult::NoAddress;
    summary.error = "no address was given";
    return summary;
  }
  const RunSwitches switches = ReadRunSwitches(settings, program);

  summary.result = StartResult::BadAddress;
  // A bare host name ("example.com/dir") is read as browsers and wget read it.
  auto address = links::SplitAddress(start.address);
  if (!address && start.address.find("://") == std::string::npos)
    address = links::SplitAddress("http://" + start.address);
  if (!address) {
    summary.error = "\"" + start.address + "\" is no web address";
    return summary;
  }
  // Only web addresses start a run: "ftp://" would otherwise go out as HTTP.
  if (!links::IsWebScheme(address->scheme)) {
    summary.error = "only http:// and https:// addresses can be downloaded, not " + address->scheme + "://";
    return summary;
  }
  const fs::path programFolder = fs::absolute(start.programFolder).lexically_normal();
  const auto folder = ProjectFolderFor(programFolder, ProjectFolderName(*address));
  if (!folder) {
    summary.error = "no project folder can be named after the host \"" + address->host + "\"";
    return summary;
  }

  const Site site{address->host, address->secure, address->port};
  // Beside the run: the settings file's flushes to disk must not hold back
  // the first request. Written before this returns, whatever the outcome.
  std::jthread history([&settings, address = start.address] {
    platform::NormalThreadPriority();
    Write(settings, keys::kHistory, address);
  });
  summary.error = MakeProjectFolder(*folder);
  if (!summary.error.empty()) return summary;
  std::string error;
  auto store = FileStore::Open(*folder, error);
  if (!store) {
    summary.error = folder->string() + ": " + error;
    return summary;
  }
  // Before anything in the folder is read or changed: a second run would
  // trash what the first is storing, or save over its list.
  const ProjectLock::Attempt lock = ProjectLock::Take(store->FolderFd());
  if (!lock.lock) {
    summary.result = StartResult::ProjectLocked;
    summary.projectFolder = *folder;
    summary.lockHolder = lock.holder;
    return summary;
  }
  summary.projectFolder = *folder;
  view.ProjectFolderChanged(*folder);

  run.links.Reset();
  bool resumed = false;
  if (program.asksToResume && !start.startedWithAddress) {
    if (auto loaded = ReadProjectFile(store->FolderFd())) {
      Answer answer = view.AskOrCancel(Question::ContinueDownload,
                                  "This website has been downloaded, do you want to continue the previous download?");
      if (answer == Answer::Yes && loaded->record) {
        run.links.Load(*loaded->record);
        resumed = true;
      } else if (answer == Answer::Yes) {
        const std::string file = (*folder / kProjectFileName).string();
        summary.projectFileError = file + ": " + loaded->problem;
        answer = view.AskOrCancel(Question::BrokenProjectFile, "The project file " + file + " cannot be read: " +
                                                                 loaded->problem + ". Do you want to start afresh?");
        if (answer == Answer::No) {
          summary.result = StartResult::ProjectFileRefused;
          return summary;
        }
      }
      // Taken back: the folder and its project file stay as they are.
      if (answer == Answer::Cancel) {
        summary.result = StartResult::Abandoned;
        return summary;
      }
    }
  }
  // Leaving while a question stood: the folder is left as it was.
  if (view.Leaving()) {
    summary.result = StartResult::Abandoned;
    return summary;
  }
  if (!resumed) {
    const platform::Trashed trashed = platform::ClearFolderToTrash(*folder, kProjectLockName);
    summary.filesTrashed = trashed.moved;
    summary.trashFolder = trashed.trash;
    std::string link0 = address->object;
    if (!link0.empty() && link0.front() == '/') link0.erase(0, 1);
    run.links.Append(link0, links::LinkState::New);
  }
  store->RemoveStaleTemporaries();
  summary.result = StartResult::Ok;

  // Saved before any file arrives, so that even a crash in the first
  // seconds leaves a project to continue.
  error = SaveProjectFile(store->FolderFd(), run.links.RecordForSaving());
  PeriodicSave periodicSave(*store, run);
  RunWorkers(FetchingFor(program, switches, site, run.logs, *store, run.links, run.tallies, view, &run.pages),
             CrewFor(program, switches, run.rows, run.signals), std::ref(periodicSave));
  if (start.workersDone) start.workersDone();
  run.signals.SetStop();
  error = SaveProjectFile(store->FolderFd(), run.links.RecordForSaving());
  if (!error.empty()) {
    summary.projectFileSaved = false;
    summary.projectFileError = error;
    run.logs.AppendRun("project.cfg could not be saved: " + error);
  }
  run.tallies.CopyTo(summary);
  if (const int diskError = store->DiskError()) summary.diskError = std::strerror(diskError);
  return summary;
}

}  // namespace engine
