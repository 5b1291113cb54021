#include "tests/support/recording_view.h"

void RecordingView::SetWorkerLabel(int worker, const std::string& text) {
  std::lock_guard g(m_mutex);
  m_labels.at(size_t(worker)) = text;
}
void RecordingView::SetProgressRange(int worker, int64_t high) {
  std::lock_guard g(m_mutex);
  m_progress[worker].push_back("range " + std::to_string(high));
}
void RecordingView::SetProgressPos(int worker, int64_t pos) {
  std::lock_guard g(m_mutex);
  m_progress[worker].push_back("pos " + std::to_string(pos));
}
void RecordingView::StepProgress(int worker) {
  std::lock_guard g(m_mutex);
  m_progress[worker].push_back("step");
}
void RecordingView::FillProgress(int worker) {
  std::lock_guard g(m_mutex);
  m_progress[worker].push_back("fill");
}
void RecordingView::RefreshRunLog() {
  std::lock_guard g(m_mutex);
  ++m_runRefreshes;
}
void RecordingView::RefreshTitleLog() {
  std::lock_guard g(m_mutex);
  ++m_titleRefreshes;
}
void RecordingView::ClearPictures() {
  std::lock_guard g(m_mutex);
  m_pictures.clear();
}
void RecordingView::AddPicture(const std::string& path, const std::string& host) {
  std::lock_guard g(m_mutex);
  m_pictures.push_back({path, host});
}
bool RecordingView::Ask(Question question, const std::string& text) {
  std::lock_guard g(m_mutex);
  m_questions.push_back({question, text});
  auto it = m_answers.find(question);
  return it != m_answers.end() && it->second;
}
void RecordingView::ShowError(const std::string& text) {
  std::lock_guard g(m_mutex);
  m_errors.push_back(text);
}
void RecordingView::OpenFolder(const std::string& path) {
  std::lock_guard g(m_mutex);
  m_opened.push_back(path);
}
void RecordingView::Answer(Question question, bool yes) {
  std::lock_guard g(m_mutex);
  m_answers[question] = yes;
}
std::vector<std::string> RecordingView::Labels() const {
  std::lock_guard g(m_mutex);
  return m_labels;
}
std::vector<RecordingView::Picture> RecordingView::Pictures() const {
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
std::vector<std::string> RecordingView::OpenedFolders() const {
  std::lock_guard g(m_mutex);
  return m_opened;
}
std::vector<std::string> RecordingView::ProgressCalls(int worker) const {
  std::lock_guard g(m_mutex);
  auto it = m_progress.find(worker);
  return it == m_progress.end() ? std::vector<std::string>() : it->second;
}
int RecordingView::RunLogRefreshes() const {
  std::lock_guard g(m_mutex);
  return m_runRefreshes;
}
int RecordingView::TitleLogRefreshes() const {
  std::lock_guard g(m_mutex);
  return m_titleRefreshes;
}
