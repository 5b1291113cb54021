#pragma once
// The engine's view in the window. The download thread and the workers hand
// their calls to the window's thread: a question or an error waits there for
// the user, a picture waits until it is in the list (the list hands it over
// itself). Waiting for the window's thread is safe because that thread never
// waits for a worker. Notifications are posted and never wait.
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <functional>

#include "engine/engine_view.h"

namespace pictures {
class ThumbnailList;
}

namespace shell {

class MainDialog;

// A message box as the engine asks for it.
struct MessageRequest {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString caption;           // the program's name
  QString text;
  bool yesNo = false;        // Yes and No; else OK alone
  QWidget* owner = nullptr;  // the viewer while it is open, else the main dialog
};

// Shows `request` modally on the window's thread; true is Yes.
using Asker = std::function<bool(const MessageRequest& request)>;

// The real message box.
bool ShowMessageBox(const MessageRequest& request);

class WindowView : public QObject, public engine::EngineView {
  Q_OBJECT

 public:
  WindowView(MainDialog& dialog, pictures::ThumbnailList& list);

  // Window thread. Tests answer without a modal box; ShowMessageBox otherwise.
  void SetAsker(Asker asker) { m_asker = std::move(asker); }
  // Window thread. The user is leaving: questions still on their way are
  // answered No unshown, and no picture waits for the list any more.
  void SetLeaving();

  void AddPicture(const engine::StoredPicture& picture) override;
  bool Ask(engine::Question question, const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ClearPictures(engine::RunId run) override;
  void ProjectFolderChanged(engine::RunId run, const std::filesystem::path& folder) override;
  void StateChanged(engine::RunId run, engine::EngineState state) override;
  void OpenFolder(engine::RunId run, const std::filesystem::path& folder) override;
  void RunEnded(engine::RunId run, const engine::RunSummary& summary) override;

 Q_SIGNALS:
  // On the window's thread, in the order the engine told them.
  void stateChanged(engine::RunId run, engine::EngineState state);
  void projectFolderChanged(const QString& folder);
  void runEnded(engine::RunId run);

 private:
  bool Put(MessageRequest request);
  void OnWindowThread(const std::function<void()>& work);
  void Post(std::function<void()> work);

  MainDialog& m_dialog;
  pictures::ThumbnailList& m_list;
  Asker m_asker = ShowMessageBox;
  bool m_leaving = false;
};

}  // namespace shell
