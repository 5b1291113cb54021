#pragma once
// What the engine shows and asks. The window, the console front ends and the
// tests each implement it. Calls come from the download thread and the five
// worker threads; an implementation delivers them to its own thread itself.
#include <cstdint>
#include <string>

enum class Question {
  ContinueDownload,  // "This website has been downloaded, ..."
  Suggestion,        // "google has a suggested keyword for you, ..."
  ViewFiles,         // "Download finish. Do you want to view the download files?"
};

class EngineView {
 public:
  virtual ~EngineView() = default;

  // Worker rows: label k and progress bar k, k = 0 to 4.
  virtual void SetWorkerLabel(int worker, const std::string& text) = 0;
  virtual void SetProgressRange(int worker, int64_t high) = 0;
  virtual void SetProgressPos(int worker, int64_t pos) = 0;
  virtual void StepProgress(int worker) = 0;
  // Sets the position to the high end of the range.
  virtual void FillProgress(int worker) = 0;

  // The run log or the title log has grown (or was emptied); read it from the
  // engine's RunLogs.
  virtual void RefreshRunLog() = 0;
  virtual void RefreshTitleLog() = 0;

  virtual void ClearPictures() = 0;
  // `path` is relative to the project folder, "/" separated; `host` is the
  // other-site host (Quorvash only; empty otherwise).
  virtual void AddPicture(const std::string& path, const std::string& host) = 0;

  // A Yes/No question; true is Yes.
  virtual bool Ask(Question question, const std::string& text) = 0;
  // A failure the user must see.
  virtual void ShowError(const std::string& text) = 0;
  virtual void OpenFolder(const std::string& path) = 0;
};
