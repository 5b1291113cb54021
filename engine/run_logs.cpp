#include "engine/run_logs.h"

void RunLogs::AppendRun(const std::string& text) {
  std::lock_guard guard(m_mutex);
  m_runLog += text;
}

void RunLogs::AppendTitle(const std::string& text) {
  std::lock_guard guard(m_mutex);
  m_titleLog += text;
}

void RunLogs::Clear() {
  std::lock_guard guard(m_mutex);
  m_runLog.clear();
  m_titleLog.clear();
}

std::string RunLogs::RunText(size_t from) const {
  std::lock_guard guard(m_mutex);
  return from < m_runLog.size() ? m_runLog.substr(from) : std::string();
}

std::string RunLogs::TitleText(size_t from) const {
  std::lock_guard guard(m_mutex);
  return from < m_titleLog.size() ? m_titleLog.substr(from) : std::string();
}
