#pragma once
// The engine's view in a terminal: the run log and the page titles go to
// standard output; on a terminal a live block of the five worker rows and the
// picture count is redrawn in place a few times a second.
#include <array>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/engine_view.h"
#include "engine/run_logs.h"

class ConsoleView : public EngineView {
 public:
  ConsoleView(std::FILE* out, bool liveBlock);
  ~ConsoleView() override;

  void SetWorkerLabel(int worker, const std::string& text) override;
  void SetProgressRange(int worker, int64_t high) override;
  void SetProgressPos(int worker, int64_t pos) override;
  void StepProgress(int worker) override;
  void FillProgress(int worker) override;
  void RefreshRunLog() override {}
  void RefreshTitleLog() override {}
  void ClearPictures() override;
  void AddPicture(const std::string& path, const std::string& host) override;
  bool Ask(Question question, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void OpenFolder(const std::string&) override {}

  // Starts printing the logs; `projectFolder` tells where stored pictures lie.
  void Start(const RunLogs& logs, std::function<std::filesystem::path()> projectFolder);
  // The resume question's answer when given on the command line.
  void SetResumeAnswer(std::optional<bool> answer) { m_resumeAnswer = answer; }
  // Prints what is left of the logs and the final block; stops redrawing.
  void Finish();
  int Pictures() const;

 private:
  struct Row {
    std::string label;
    int64_t high = 100, pos = 0;
    int steps = 0;
  };
  void DrawLoop();
  void Flush(bool final);
  std::string Block() const;
  bool AskOnTerminal(const std::string& text);

  const RunLogs* m_logs = nullptr;
  std::FILE* m_out;
  const bool m_live;
  std::function<std::filesystem::path()> m_projectFolder;
  std::optional<bool> m_resumeAnswer;

  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_wake;
  std::array<Row, 5> m_rows;
  int m_pictures = 0;
  size_t m_runPrinted = 0, m_titlePrinted = 0;
  int m_blockLines = 0;  // lines of the live block now on the screen
  bool m_finished = false;
  bool m_asking = false;
  std::thread m_drawer;
};
