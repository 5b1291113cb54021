#include "window/window_view.h"

#include <QFile>
#include <QThread>
#include <algorithm>
#include <memory>

#include "pictures/picture_viewer.h"
#include "pictures/thumbnail_list.h"
#include "platform/folders.h"
#include "platform/handover.h"
#include "platform/thread_priority.h"
#include "window/main_dialog.h"

namespace shell {

namespace {

// Decoding is the heaviest work of a run: a worker that makes thumbnails
// does so at a lower priority than the window's thread, so the window never
// waits for a turn while all cores decode.
void MakeThumbnailsAtLowPriority() {
  static thread_local bool lowered = false;
  if (lowered) return;
  platform::LowerThreadPriority();
  lowered = true;
}

}  // namespace

bool ShowMessageBox(const MessageRequest& request) {
  const auto buttons = request.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
  QMessageBox box(request.icon, request.caption, request.text, buttons, request.owner);
  return box.exec() == QMessageBox::Yes;
}

WindowView::WindowView(MainDialog& dialog, pictures::ThumbnailList& list)
    : m_dialog(dialog), m_list(list) {}

void WindowView::SetLeaving() {
  m_leaving = true;
  m_list.SetLeaving(true);
}

void WindowView::OnWindowThread(const std::function<void()>& work) {
  if (QThread::currentThread() == thread()) {
    work();
    return;
  }
  // What the work reads was written before the call, and the caller reads
  // what it wrote once the call returns.
  platform::HandOver(&work);
  QMetaObject::invokeMethod(
      this,
      [&work] {
        platform::TakeOver(&work);
        work();
        platform::HandOver(&work);
      },
      Qt::BlockingQueuedConnection);
  platform::TakeOver(&work);
}

void WindowView::Post(std::function<void()> work) {
  auto call = std::make_shared<std::function<void()>>(std::move(work));
  platform::HandOver(call.get());
  // Dropped with this object, should the window be gone first.
  QMetaObject::invokeMethod(
      this,
      [call] {
        platform::TakeOver(call.get());
        (*call)();
      },
      Qt::QueuedConnection);
}

// On the window's thread.
bool WindowView::Put(MessageRequest request) {
  if (m_leaving) return false;
  request.caption = ProgramTitle(m_dialog.Kind());
  // A box owned by the main dialog would open behind the full-screen viewer.
  QWidget* viewer = &m_list.Viewer();
  request.owner = viewer->isVisible() ? viewer : static_cast<QWidget*>(&m_dialog);
  return m_asker(request);
}

void WindowView::AddPicture(const engine::StoredPicture& picture) {
  MakeThumbnailsAtLowPriority();
  m_list.AddPicture(picture.path, picture.file, picture.host);
}

bool WindowView::Ask(engine::Question question, const std::string& text) {
  MessageRequest request;
  request.icon = question == engine::Question::ViewFiles ? QMessageBox::Information : QMessageBox::Question;
  request.text = QString::fromStdString(text);
  request.yesNo = true;
  bool yes = false;
  OnWindowThread([&] { yes = Put(request); });
  return yes;
}

void WindowView::ShowError(const std::string& text) {
  MessageRequest request;
  request.icon = QMessageBox::Warning;  // the exclamation icon
  request.text = QString::fromStdString(text);
  OnWindowThread([&] { Put(request); });
}

void WindowView::ClearPictures(engine::RunId) {
  OnWindowThread([this] { m_list.ClearPictures(); });
}

void WindowView::ProjectFolderChanged(engine::RunId, const std::filesystem::path& folder) {
  const QString shown = QFile::decodeName(folder.c_str());
  Post([this, shown] { Q_EMIT projectFolderChanged(shown); });
}

void WindowView::StateChanged(engine::RunId run, engine::EngineState state) {
  Post([this, run, state] { Q_EMIT stateChanged(run, state); });
}

void WindowView::OpenFolder(engine::RunId, const std::filesystem::path& folder) {
  Post([folder] { platform::OpenInFileManager(folder); });
}

void WindowView::RunEnded(engine::RunId run, const engine::RunSummary&) {
  Post([this, run] { Q_EMIT runEnded(run); });
}

}  // namespace shell
