#pragma once
// The engine's view in a terminal: the run log and the page titles go to
// standard output; on a terminal a live block of the five worker rows and the
// picture count is redrawn in place a few times a second.
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/download_engine.h"
#include "engine/engine_view.h"

namespace shell {

class ConsoleView : public engine::EngineView {
 public:
  ConsoleView(std::FILE* out, bool liveBlock);
  ~ConsoleView() override;

  void AddPicture(const engine::StoredPicture& picture) override;
  bool Ask(engine::Question question, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ClearPictures(engine::RunId) override;
  void OpenFolder(engine::RunId, const std::filesystem::path&) override {}

  // Starts printing what the engine's logs and rows show.
  void Start(const engine::DownloadEngine& engine);
  // The resume question's answer when given on the command line.
  void SetResumeAnswer(std::optional<bool> answer) { m_resumeAnswer = answer; }
  // Prints what is left of the logs; stops redrawing.
  void Finish();
  int Pictures() const;

 private:
  void DrawLoop();
  void Flush(bool final);
  std::string Block() const;
  bool AskOnTerminal(const std::string& text);

  std::FILE* m_out;
  const bool m_live;
  std::optional<bool> m_resumeAnswer;
  const engine::DownloadEngine* m_engine = nullptr;

  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_wake;
  int m_pictures = 0;
  engine::LogCursor m_runCursor, m_titleCursor;
  int m_blockLines = 0;  // lines of the live block now on the screen
  bool m_finished = false;
  bool m_asking = false;
  std::thread m_drawer;
};

}  // namespace shell
