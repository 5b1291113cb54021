#pragma once
// The run log and the page-title log. Five workers append to them at once.
#include <mutex>
#include <string>

class RunLogs {
 public:
  void AppendRun(const std::string& text);
  void AppendTitle(const std::string& text);
  void Clear();

  // The text from byte `from` on, so a view can take only what is new.
  std::string RunText(size_t from = 0) const;
  std::string TitleText(size_t from = 0) const;

 private:
  mutable std::mutex m_mutex;  // guards both logs
  std::string m_runLog;
  std::string m_titleLog;
};
