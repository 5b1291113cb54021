#pragma once
// An EngineView that records what the engine shows, and answers questions
// from a script. Thread-safe: the engine calls it from several threads.
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_view.h"

class RecordingView : public EngineView {
 public:
  struct Picture {
    std::string path;
    std::string host;
  };
  struct Asked {
    Question question;
    std::string text;
  };

  void SetWorkerLabel(int worker, const std::string& text) override;
  void SetProgressRange(int worker, int64_t high) override;
  void SetProgressPos(int worker, int64_t pos) override;
  void StepProgress(int worker) override;
  void FillProgress(int worker) override;
  void RefreshRunLog() override;
  void RefreshTitleLog() override;
  void ClearPictures() override;
  void AddPicture(const std::string& path, const std::string& host) override;
  bool Ask(Question question, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void OpenFolder(const std::string& path) override;

  // The answer given to each kind of question (default No).
  void Answer(Question question, bool yes);

  std::vector<std::string> Labels() const;
  std::vector<Picture> Pictures() const;
  std::vector<Asked> Questions() const;
  std::vector<std::string> Errors() const;
  std::vector<std::string> OpenedFolders() const;
  // Progress calls of one worker, as text: "pos 0", "range 100", "step", "fill".
  std::vector<std::string> ProgressCalls(int worker) const;
  int RunLogRefreshes() const;
  int TitleLogRefreshes() const;

 private:
  mutable std::mutex m_mutex;
  std::vector<std::string> m_labels = std::vector<std::string>(5);
  std::map<int, std::vector<std::string>> m_progress;
  std::vector<Picture> m_pictures;
  std::vector<Asked> m_questions;
  std::vector<std::string> m_errors;
  std::vector<std::string> m_opened;
  std::map<Question, bool> m_answers;
  int m_runRefreshes = 0;
  int m_titleRefreshes = 0;
};
