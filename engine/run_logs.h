#pragma once
// The run log and the page-title log, as lines without line ends: each view
// ends them its own way. Five workers append at once; views read what is new
// through a cursor. Only the last lines are kept, so a run of a million links
// does not hold its whole log; a reader learns how many it missed.
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace engine {

inline constexpr size_t kKeptLogLines = 20000;

// Where a reader stands in a log. The log of another run is read from its
// start.
struct LogCursor {
  uint64_t generation = 0;
  uint64_t line = 0;  // the number of the next line to read, counted from the run's first
};

struct LogText {
  bool restarted = false;          // another run's log: drop what was shown before
  uint64_t dropped = 0;            // lines no longer kept that this reader never saw
  std::vector<std::string> lines;  // what is new
};

class RunLogs {
 public:
  explicit RunLogs(uint64_t generation = 1, size_t keptLines = kKeptLogLines)
      : m_generation(generation), m_kept(keptLines) {}

  void AppendRun(std::string line);
  void AppendTitle(std::string line);

  LogText ReadRun(LogCursor& cursor) const;
  LogText ReadTitle(LogCursor& cursor) const;
  // The kept run log, each line ended with "\n".
  std::string RunText() const;
  std::string TitleText() const;

 private:
  struct Log {
    std::deque<std::string> lines;
    uint64_t dropped = 0;  // lines before the first kept one
  };
  void Append(Log& log, std::string line);
  LogText Read(const Log& log, LogCursor& cursor) const;
  std::string Text(const Log& log) const;

  const uint64_t m_generation;
  const size_t m_kept;
  mutable std::mutex m_mutex;  // guards both logs
  Log m_run, m_title;
};

}  // namespace engine
