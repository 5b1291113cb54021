#include "window/window_view.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QThread>
#include <algorithm>
#include <memory>

#include "pictures/picture_viewer.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"
#include "platform/folders.h"
#include "platform/handover.h"
#include "window/desktop_notification.h"
#include "window/main_dialog.h"

namespace window {

engine::Answer ShowMessageBox(const MessageRequest& request) {
  const auto buttons = request.yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
  QMessageBox box(request.icon, request.caption, request.text, buttons, request.owner);
  // A Yes/No box takes Escape and its close box as No. A hidden Cancel
  // button takes them instead, so the box still shows Yes and No alone.
  if (request.yesNo && request.cancellable) {
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    cancel->hide();
    box.setEscapeButton(cancel);
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
    case QMessageBox::Ok: return engine::Answer::Yes;
    case QMessageBox::Cancel: return engine::Answer::Cancel;
    default: return engine::Answer::No;
  }
}

WindowView::WindowView(MainDialog& dialog, pictures::ThumbnailList& list)
    : m_dialog(dialog), m_list(list), m_notifier([](const QString& program, const QString& text) {
        NotifyDesktop(program, program, text);
      }) {}

void WindowView::SetLeaving() {
  m_leaving = true;
  m_list.Feed().SetLeaving(true);
}

void WindowView::OnWindowThread(const std::function<void()>& work) {
  if (QThread::currentThread() == thread()) {
    work();
    return;
  }
  // What the work reads was written before the call, and the caller reads
  // what it wrote once the call returns.
  QMetaObject::invokeMethod(this, platform::Handed([&work] {
                              work();
                              platform::HandOver(&work);
                            }),
                            Qt::BlockingQueuedConnection);
  platform::TakeOver(&work);
}

void WindowView::Post(std::function<void()> work) {
  // Dropped with this object, should the window be gone first.
  QMetaObject::invokeMethod(this, platform::Handed(std::move(work)), Qt::QueuedConnection);
}

// On the window's thread.
engine::Answer WindowView::Put(MessageRequest request) {
  if (m_leaving) return request.cancellable ? engine::Answer::Cancel : engine::Answer::No;
  request.caption = m_dialog.Program().Title();
  // A box owned by the main dialog would open behind the full-screen viewer.
  QWidget* viewer = &m_list.Viewer();
  request.owner = viewer->isVisible() ? viewer : static_cast<QWidget*>(&m_dialog);
  const engine::Answer answer = m_asker(request);
  return !request.cancellable && answer == engine::Answer::Cancel ? engine::Answer::No : answer;
}

void WindowView::ClearIfPending() { m_list.Feed().ClearIfPending(); }

void WindowView::AddPicture(const engine::StoredPicture& picture) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(picture.file, error);
  if (!error) m_storedBytes += int64_t(bytes);
  // The engine read the header already when it could; it is not read again.
  m_list.Feed().AddPicture(picture.path, picture.file, picture.host, picture.headerSize);
}

bool WindowView::Ask(engine::Question question, const std::string& text) {
  MessageRequest request;
  request.icon = question == engine::Question::ViewFiles ? QMessageBox::Information : QMessageBox::Question;
  request.text = QString::fromStdString(text);
  request.yesNo = true;
  engine::Answer answer = engine::Answer::No;
  OnWindowThread([&] {
    m_list.Feed().InsertArrived();
    // The run's end, while the user looks at another program.
    if (question == engine::Question::ViewFiles && !m_leaving && !QApplication::activeWindow() && m_notifier) {
      const int count = m_list.Count();
      m_notifier(m_dialog.Program().Title(),
                 count == 1 ? QStringLiteral("Download finish: 1 picture arrived.")
                            : QStringLiteral("Download finish: %1 pictures arrived.").arg(count));
    }
    answer = Put(request);
  });
  return answer == engine::Answer::Yes;
}

engine::Answer WindowView::AskOrCancel(engine::Question question, const std::string& text) {
  MessageRequest request;
  request.icon = QMessageBox::Question;
  request.text = QString::fromStdString(text);
  request.yesNo = true;
  request.cancellable = true;
  engine::Answer answer = engine::Answer::Cancel;
  OnWindowThread([&] { answer = Put(request); });
  // The run goes on: the pictures of the last one make way.
  if (answer != engine::Answer::Cancel) ClearIfPending();
  return answer;
}

void WindowView::ShowError(const std::string& text) {
  MessageRequest request;
  request.icon = QMessageBox::Warning;  // the exclamation icon
  request.text = QString::fromStdString(text);
  OnWindowThread([&] { Put(request); });
}

void WindowView::ClearPictures(engine::RunId) { m_list.Feed().ClearWhenUnderWay(); }

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

void WindowView::RunEnded(engine::RunId run, const engine::RunSummary& summary) {
  // A run abandoned at its question leaves the list as it was.
  if (summary.result == engine::StartResult::Abandoned)
    m_list.Feed().KeepPictures();
  else
    m_list.Feed().ClearIfPending();
  Post([this, run] {
    m_list.Feed().InsertArrived();
    Q_EMIT runEnded(run);
  });
}

}  // namespace window
