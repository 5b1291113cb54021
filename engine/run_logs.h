#pragma once
// The run log and the page-title log. Five workers append to them at once;
// views read what is new through a cursor.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace engine {

// Where a reader stands in a log. A log that was emptied since is read
// again from its start.
struct LogCursor {
  uint64_t generation = 0;
  size_t offset = 0;
};

struct LogText {
  bool restarted = false;  // the log was emptied: drop what was shown before
  std::string text;        // what is new
};

class RunLogs {
 public:
  void AppendRun(std::string_view text);
  void AppendTitle(std::string_view text);
  void Clear();

  LogText ReadRun(LogCursor& cursor) const;
  LogText ReadTitle(LogCursor& cursor) const;
  std::string RunText() const;
  std::string TitleText() const;

 private:
  LogText Read(const std::string& log, LogCursor& cursor) const;

  mutable std::mutex m_mutex;  // guards both logs and the generation
  uint64_t m_generation = 1;
  std::string m_runLog;
  std::string m_titleLog;
};

}  // namespace engine
