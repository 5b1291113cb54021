#pragma once
// The engine's view in the window. The download thread and the workers hand
// their calls to the window's thread: a question or an error waits there for
// the user. A picture goes to the thumbnail feed, which checks its header and
// returns at once. Waiting for the window's thread is safe because that
// thread never waits for a worker. Notifications are posted and never wait.
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

#include "engine/engine_view.h"

namespace pictures {
class ThumbnailList;
}

namespace window {

class MainDialog;

// A message box as the engine asks for it.
struct MessageRequest {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString caption;           // the program's name
  QString text;
  bool yesNo = false;        // Yes and No; else OK alone
  bool cancellable = false;  // Escape and the close box take the question back
  QWidget* owner = nullptr;  // the viewer while it is open, else the main dialog
};

// Shows `request` modally on the window's thread. Cancel only for a
// cancellable request; OK counts as Yes.
using Asker = std::function<engine::Answer(const MessageRequest& request)>;

// The real message box. Escape on a Yes/No box is never No: it cancels a
// cancellable question and does nothing on the others.
engine::Answer ShowMessageBox(const MessageRequest& request);

// Tells the desktop a run has ended: the program's name and a line.
using Notifier = std::function<void(const QString& program, const QString& text)>;

class WindowView : public QObject, public engine::EngineView {
  Q_OBJECT

 public:
  WindowView(MainDialog& dialog, pictures::ThumbnailList& list);

  // Window thread. Tests answer without a modal box; ShowMessageBox otherwise.
  void SetAsker(Asker asker) { m_asker = std::move(asker); }
  // Window thread. What tells the desktop of a run's end while no window of
  // the program is active; the notification service by default.
  void SetNotifier(Notifier notifier) { m_notifier = std::move(notifier); }
  // Any thread. The run has got past its questions: the last run's
  // pictures make way now. Until then the list stays, so that a question
  // taken back leaves the window as it was.
  void ClearIfPending();
  // Any thread. Bytes of the pictures handed to the list so far.
  int64_t StoredBytes() const { return m_storedBytes.load(); }
  // Window thread. The user is leaving: questions still on their way are
  // answered No unshown, and no picture waits for the list any more.
  void SetLeaving();

  void AddPicture(const engine::StoredPicture& picture) override;
  bool Ask(engine::Question question, const std::string& text) override;
  engine::Answer AskOrCancel(engine::Question question, const std::string& text) override;
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
  engine::Answer Put(MessageRequest request);

  void OnWindowThread(const std::function<void()>& work);
  void Post(std::function<void()> work);

  MainDialog& m_dialog;
  pictures::ThumbnailList& m_list;
  Asker m_asker = ShowMessageBox;
  Notifier m_notifier;
  std::atomic<int64_t> m_storedBytes{0};
  bool m_leaving = false;
};

}  // namespace window
