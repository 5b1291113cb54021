#pragma once
// An EngineView that records what the engine shows, and answers questions
// from a script. Thread-safe: the engine calls it from several threads.
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/engine_view.h"

class RecordingView : public engine::EngineView {
 public:
  struct Asked {
    engine::Question question;
    std::string text;
  };

  void AddPicture(const engine::StoredPicture& picture) override;
  bool Ask(engine::Question question, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ClearPictures(engine::RunId run) override;
  void ProjectFolderChanged(engine::RunId run, const std::filesystem::path& folder) override;
  void OpenFolder(engine::RunId run, const std::filesystem::path& folder) override;
  void RunEnded(engine::RunId run, const engine::RunSummary& summary) override;

  // The answer given to each kind of question (default No).
  void Answer(engine::Question question, bool yes);

  std::vector<engine::StoredPicture> Pictures() const;
  // The nice values of the threads that handed pictures over.
  std::vector<int> PictureThreadNices() const {
    std::lock_guard g(m_mutex);
    return m_pictureNices;
  }
  std::vector<Asked> Questions() const;
  std::vector<std::string> Errors() const;
  std::vector<std::filesystem::path> OpenedFolders() const;
  std::vector<std::filesystem::path> ProjectFolders() const;
  int RunsEnded() const;
  // Waits until `pictures` have been added since the list was cleared, or a
  // run has ended beyond `runsEnded`.
  void WaitForPictures(size_t pictures, int runsEnded);

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_changed;
  std::vector<engine::StoredPicture> m_pictures;
  std::vector<int> m_pictureNices;
  std::vector<Asked> m_questions;
  std::vector<std::string> m_errors;
  std::vector<std::filesystem::path> m_opened, m_projectFolders;
  std::map<engine::Question, bool> m_answers;
  int m_runsEnded = 0;
};
