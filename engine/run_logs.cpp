#include "engine/run_logs.h"

namespace engine {

void RunLogs::AppendRun(std::string_view text) {
  std::lock_guard guard(m_mutex);
  m_runLog += text;
}

void RunLogs::AppendTitle(std::string_view text) {
  std::lock_guard guard(m_mutex);
  m_titleLog += text;
}

void RunLogs::Clear() {
  std::lock_guard guard(m_mutex);
  m_runLog.clear();
  m_titleLog.clear();
  ++m_generation;
}

LogText RunLogs::Read(const std::string& log, LogCursor& cursor) const {
  LogText out;
  if (cursor.generation != m_generation) {
    out.restarted = cursor.generation != 0;
    cursor = {m_generation, 0};
  }
  if (cursor.offset < log.size()) out.text = log.substr(cursor.offset);
  cursor.offset = log.size();
  return out;
}

LogText RunLogs::ReadRun(LogCursor& cursor) const {
  std::lock_guard guard(m_mutex);
  return Read(m_runLog, cursor);
}

LogText RunLogs::ReadTitle(LogCursor& cursor) const {
  std::lock_guard guard(m_mutex);
  return Read(m_titleLog, cursor);
}

std::string RunLogs::RunText() const {
  std::lock_guard guard(m_mutex);
  return m_runLog;
}

std::string RunLogs::TitleText() const {
  std::lock_guard guard(m_mutex);
  return m_titleLog;
}

}  // namespace engine
