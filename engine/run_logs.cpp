#include "engine/run_logs.h"

#include <algorithm>

namespace engine {

void RunLogs::Append(Log& log, std::string line) {
  std::lock_guard guard(m_mutex);
  log.lines.push_back(std::move(line));
  if (log.lines.size() > m_kept) {
    log.lines.pop_front();
    ++log.dropped;
  }
}

void RunLogs::AppendRun(std::string line) { Append(m_run, std::move(line)); }

void RunLogs::AppendTitle(std::string line) { Append(m_title, std::move(line)); }

LogText RunLogs::Read(const Log& log, LogCursor& cursor) const {
  std::lock_guard guard(m_mutex);
  LogText out;
  if (cursor.generation != m_generation) {
    out.restarted = cursor.generation != 0;
    cursor = {m_generation, 0};
  }
  if (cursor.line < log.dropped) {
    out.dropped = log.dropped - cursor.line;
    cursor.line = log.dropped;
  }
  const uint64_t end = log.dropped + log.lines.size();
  out.lines.assign(log.lines.begin() + std::ptrdiff_t(cursor.line - log.dropped), log.lines.end());
  cursor.line = end;
  return out;
}

LogText RunLogs::ReadRun(LogCursor& cursor) const { return Read(m_run, cursor); }

LogText RunLogs::ReadTitle(LogCursor& cursor) const { return Read(m_title, cursor); }

std::string RunLogs::Text(const Log& log) const {
  std::lock_guard guard(m_mutex);
  std::string text;
  for (const std::string& line : log.lines) text += line + "\n";
  return text;
}

std::string RunLogs::RunText() const { return Text(m_run); }

std::string RunLogs::TitleText() const { return Text(m_title); }

}  // namespace engine
