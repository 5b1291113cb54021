#include "tests/support/recording_view.h"

#include <sys/resource.h>

void RecordingView::AddPicture(const engine::StoredPicture& picture) {
  std::lock_guard g(m_mutex);
  m_pictureNices.push_back(::getpriority(PRIO_PROCESS, 0));  // this thread's
  m_pictures.push_back(picture);
  m_changed.notify_all();
}
bool RecordingView::Ask(engine::Question question, const std::string& text) {
  std::lock_guard g(m_mutex);
  m_questions.push_back({question, text});
  auto it = m_answers.find(question);
  return it != m_answers.end() && it->second;
}
void RecordingView::ShowError(const std::string& text) {
  std::lock_guard g(m_mutex);
  m_errors.push_back(text);
}
void RecordingView::ClearPictures(engine::RunId) {
  std::lock_guard g(m_mutex);
  m_pictures.clear();
}
void RecordingView::ProjectFolderChanged(engine::RunId, const std::filesystem::path& folder) {
  std::lock_guard g(m_mutex);
  m_projectFolders.push_back(folder);
}
void RecordingView::OpenFolder(engine::RunId, const std::filesystem::path& folder) {
  std::lock_guard g(m_mutex);
  m_opened.push_back(folder);
}
void RecordingView::RunEnded(engine::RunId, const engine::RunSummary&) {
  std::lock_guard g(m_mutex);
  ++m_runsEnded;
  m_changed.notify_all();
}
void RecordingView::WaitForPictures(size_t pictures, int runsEnded) {
  std::unique_lock lock(m_mutex);
  m_changed.wait(lock, [&] { return m_pictures.size() >= pictures || m_runsEnded > runsEnded; });
}
void RecordingView::Answer(engine::Question question, bool yes) {
  std::lock_guard g(m_mutex);
  m_answers[question] = yes;
}
std::vector<engine::StoredPicture> RecordingView::Pictures() const {
  std::lock_guard g(m_mutex);
  return m_pictures;
}
std::vector<RecordingView::Asked> RecordingView::Questions() const {
  std::lock_guard g(m_mutex);
  return m_questions;
}
std::vector<std::string> RecordingView::Errors() const {
  std::lock_guard g(m_mutex);
  return m_errors;
}
std::vector<std::filesystem::path> RecordingView::OpenedFolders() const {
  std::lock_guard g(m_mutex);
  return m_opened;
}
std::vector<std::filesystem::path> RecordingView::ProjectFolders() const {
  std::lock_guard g(m_mutex);
  return m_projectFolders;
}
int RecordingView::RunsEnded() const {
  std::lock_guard g(m_mutex);
  return m_runsEnded;
}
