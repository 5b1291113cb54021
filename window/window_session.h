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
class PictureActions;
class ThumbnailFeed;
class ThumbnailList;
}

namespace window {

class EngineControl;
class MainDialog;

class WindowSession {
 public:
  // `name` roots the settings and names the program to the web servers;
  // projects go below `programFolder`, else below the program's own folder
  // (platform::ProgramFolder). `program` must outlive the session.
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
  pictures::ThumbnailFeed& Feed() { return *m_feed; }
  EngineControl& Control() { return *m_control; }

 private:
  // The program under `name`, which the engine reads its settings and
  // user agent by; the engine keeps a reference.
  const engine::Program m_named;
  // Both outlive the dialog, whose list shows the feed's model.
  std::unique_ptr<pictures::ThumbnailFeed> m_feed;
  std::unique_ptr<pictures::PictureActions> m_actions;
  std::unique_ptr<MainDialog> m_dialog;
  pictures::ThumbnailList* m_list;  // the dialog owns it
  std::unique_ptr<EngineControl> m_control;
};

}  // namespace window
