#pragma once
// What the engine shows and asks, implemented by the window, the console
// front ends and the tests.
//
// Threads. The engine runs a download thread and five worker threads per
// run. Three calls wait for the view: AddPicture, Ask and ShowError. A window
// hands them to its own thread and waits there; that is safe because the
// engine never makes the view's thread wait for a worker (see
// DownloadEngine::Leave). Every other call is a notification that must
// return promptly without waiting for the view's thread.
//
// What a view reads at its own pace (worker rows, logs) is not pushed at all:
// it lives in the engine (DownloadEngine::Rows, ReadRunLog, ReadTitleLog).
//
// Every notification names the run it belongs to: the end of one run may
// still be on its way while the next one starts.
//
// While the engine is leaving, AddPicture and Ask are not called (questions
// count as No), and an answer given after Leave() counts as No too.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "engine/run_outcome.h"

namespace engine {

enum class Question {
  ContinueDownload,    // "This website has been downloaded, ..."
  BrokenProjectFile,   // project.cfg cannot be read: start afresh?
  Suggestion,          // "google has a suggested keyword for you, ..."
  ViewFiles,           // "Download finish. Do you want to view the download files?"
};

// The answer to a question that may also be taken back.
enum class Answer { No, Yes, Cancel };

// Numbers the runs of one engine from 1.
using RunId = uint64_t;

enum class EngineState { Idle, Running, Stopping, Finishing };

// A file a worker has just stored. The list's label is `path`.
struct StoredPicture {
  std::string path;             // relative to the project folder, "/" separated
  std::filesystem::path file;   // the same file, absolute
  std::string host;             // Quorvash: the other site's host, and ":port" unless the scheme's own; else empty
  // Width and height its header declares, when the engine read them already
  // (negative: no installed decoder reads it); a view need not read it again.
  std::optional<std::pair<int, int>> headerSize;
};

class EngineView {
 public:
  virtual ~EngineView() = default;

  // --- Calls that wait for the view ---

  // From a worker thread, once for every stored file that is not a text
  // page, also for files that are no pictures (the view finds out). Returns
  // when the view has added the item to its list or passed the file over.
  virtual void AddPicture(const StoredPicture& picture) = 0;
  // A Yes/No question; true is Yes. From the download thread, except
  // Suggestion, which comes from the worker that read the result page.
  virtual bool Ask(Question question, const std::string& text) = 0;
  // ContinueDownload and BrokenProjectFile, whose No throws work away: the
  // user may cancel instead, and the run then ends touching nothing. Views
  // without a way to cancel answer Yes or No.
  virtual Answer AskOrCancel(Question question, const std::string& text) {
    return Ask(question, text) ? Answer::Yes : Answer::No;
  }
  // A failure the user must see. From the download thread.
  virtual void ShowError(const std::string& text) = 0;

  // --- Notifications: return promptly, never wait for the view's thread ---

  // From the thread that calls DownloadEngine::Download, before Download
  // returns (the view's own thread in a window): the list starts empty.
  virtual void ClearPictures(RunId run) = 0;
  // From the download thread, once the run's project folder exists and
  // before any file is stored in it.
  virtual void ProjectFolderChanged(RunId run, const std::filesystem::path& folder) {}
  // From the thread that changed the state: the caller of Download or Stop,
  // else the download thread.
  virtual void StateChanged(RunId run, EngineState state) {}
  // From the download thread after Yes to ViewFiles: show the folder.
  virtual void OpenFolder(RunId run, const std::filesystem::path& folder) = 0;
  // From the download thread as its last call: the run is over and the
  // engine may be destroyed (from any thread) once this has been seen.
  // Download() may be called from inside it, and from inside
  // StateChanged(Idle).
  virtual void RunEnded(RunId run, const RunSummary& summary) {}
};

}  // namespace engine
