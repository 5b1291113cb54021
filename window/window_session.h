#pragma once
// One window program put together: the main dialog with the thumbnail list in
// its place, and the engine behind both. The program, the tests and the
// benchmark all build the window through this.
#include <QString>
#include <filesystem>
#include <memory>

#include "engine/program.h"
#include "window/start_up.h"
#include "window/window_program.h"

namespace pictures {
class ThumbnailList;
}

namespace shell {

class EngineControl;
class MainDialog;

class WindowSession {
 public:
  // `name` roots the settings and names the program to the web servers;
  // projects go below `programFolder`, else below the program's own folder
  // (platform::ProgramFolder).
  WindowSession(const WindowProgram& program, const QString& name, StartUp startUp,
                const std::filesystem::path& programFolder = {});
  // Waits, handling events, for a run still ending; then the engine goes
  // before the window it shows in.
  ~WindowSession();
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  // Runs the window modally until it closes.
  int Exec();

  MainDialog& Dialog() { return *m_dialog; }
  pictures::ThumbnailList& List() { return *m_list; }
  EngineControl& Control() { return *m_control; }

 private:
  const engine::Program m_engineProgram;  // the engine keeps a reference
  std::unique_ptr<MainDialog> m_dialog;
  pictures::ThumbnailList* m_list;  // the dialog owns it
  std::unique_ptr<EngineControl> m_control;
};

}  // namespace shell
