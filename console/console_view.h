#pragma once
// The engine's view in a terminal: the run log and the page titles go to
// standard output (or the -o file); on a terminal a live block of the five
// worker rows, the picture count, the bytes, the speed and the links left is
// redrawn in place a few times a second, as wide as the terminal.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/download_engine.h"
#include "engine/engine_view.h"

namespace console {

class ConsoleView : public engine::EngineView {
 public:
  // `log` takes the logs, nullptr for none (-q); `screen`, when given, the live block.
  ConsoleView(std::FILE* log, std::FILE* screen);
  ~ConsoleView() override;

  void AddPicture(const engine::StoredPicture& picture) override;
  bool Ask(engine::Question question, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ClearPictures(engine::RunId) override;
  void OpenFolder(engine::RunId, const std::filesystem::path&) override {}

  // Starts printing what the engine's logs and rows show.
  void Start(engine::DownloadEngine& engine);
  // The resume question's answer when given on the command line.
  void SetResumeAnswer(std::optional<bool> answer) { m_resumeAnswer = answer; }
  // The terminal was resized: redraw now.
  void Resized();
  // The resume question came with no terminal to ask and no answer given:
  // the engine was told to leave, and the project is untouched.
  bool LeftProjectUntouched() const { return m_leftUntouched.load(); }
  // Prints what is left of the logs; stops redrawing.
  void Finish();
  int Pictures() const;

 private:
  void DrawLoop();
  void Flush(bool final);
  std::string Block();
  bool AskOnTerminal(const std::string& text);

  void CountClosedFiles(const engine::LogText& log);

  std::FILE* const m_log;
  std::FILE* const m_screen;
  std::optional<bool> m_resumeAnswer;
  engine::DownloadEngine* m_engine = nullptr;
  std::atomic<bool> m_leftUntouched{false};

  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_wake;
  int m_pictures = 0;
  engine::LogCursor m_runCursor, m_titleCursor;
  int m_blockLines = 0;  // lines of the live block now on the screen
  int64_t m_closedBytes = 0;  // bytes of the files whose closing line was logged
  int64_t m_sampleBytes = 0;  // the speed is measured over the last second or more
  std::chrono::steady_clock::time_point m_sampleTime = std::chrono::steady_clock::now();
  double m_speed = 0;  // bytes per second
  bool m_finished = false;
  bool m_asking = false;
  std::thread m_drawer;
};

}  // namespace console
