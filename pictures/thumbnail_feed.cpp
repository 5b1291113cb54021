#include "pictures/thumbnail_feed.h"

#include <QThread>

#include "pictures/thumbnail.h"
#include "pictures/thumbnail_model.h"
#include "platform/thread_priority.h"

namespace pictures {

namespace fs = std::filesystem;

struct ThumbnailFeed::PendingAdd {
  ThumbnailItem item;
  bool taken = false;  // the feed's thread is putting it in
  bool done = false;
};

ThumbnailFeed::ThumbnailFeed(QObject* parent) : QObject(parent), m_model(new ThumbnailModel(this)) {}

ThumbnailFeed::~ThumbnailFeed() { SetLeaving(true); }

void ThumbnailFeed::SetNoScrollReader(std::function<int()> readNoScroll) { m_readNoScroll = std::move(readNoScroll); }

bool ThumbnailFeed::Leaving() {
  std::lock_guard lock(m_handoffMutex);
  return m_leaving;
}

bool ThumbnailFeed::AddPicture(const std::string& path, const fs::path& file, const std::string& host) {
  if (Leaving()) return false;
  const bool onFeedThread = QThread::currentThread() == thread();
  // Decoding is the heaviest work of a run: a worker takes only what the
  // window's thread leaves over.
  if (!onFeedThread) platform::LowerThreadPriority();
  const QImage thumbnail = MakeThumbnail(file);
  if (thumbnail.isNull()) return false;
  auto pending = std::make_shared<PendingAdd>();
  pending->item = {path, file, host, ThumbnailModel::Pack(thumbnail)};
  if (pending->item.packed.isEmpty()) return false;

  if (onFeedThread) {
    if (Leaving()) return false;
    Insert(std::move(pending->item));
    return true;
  }
  {
    std::lock_guard lock(m_handoffMutex);
    if (m_leaving) return false;
    m_handoff.push_back(pending);
  }
  QMetaObject::invokeMethod(this, &ThumbnailFeed::InsertPending, Qt::QueuedConnection);
  std::unique_lock lock(m_handoffMutex);
  // An item the feed's thread has taken goes in at once, leaving or not.
  m_handoffDone.wait(lock, [&] { return pending->done || (m_leaving && !pending->taken); });
  return pending->done;
}

void ThumbnailFeed::SetLeaving(bool leaving) {
  {
    std::lock_guard lock(m_handoffMutex);
    m_leaving = leaving;
    if (leaving) m_handoff.clear();
  }
  m_handoffDone.notify_all();
}

void ThumbnailFeed::InsertPending() {
  for (;;) {
    std::shared_ptr<PendingAdd> next;
    {
      std::lock_guard lock(m_handoffMutex);
      if (m_handoff.empty()) return;
      next = std::move(m_handoff.front());
      m_handoff.pop_front();
      next->taken = true;
    }
    Insert(std::move(next->item));
    {
      std::lock_guard lock(m_handoffMutex);
      next->done = true;
    }
    m_handoffDone.notify_all();
  }
}

// One unit on the feed's thread: the item, the counter, the scrolling.
void ThumbnailFeed::Insert(ThumbnailItem&& item) {
  m_model->Append(std::move(item));
  Q_EMIT counterTextChanged(CounterText());
  if ((!m_readNoScroll || m_readNoScroll() == 0) && !m_scrollPending) {
    // One scroll for the adds of a pass of the event loop: each scroll lays
    // the whole list out again, and one per add starves the window.
    m_scrollPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          m_scrollPending = false;
          Q_EMIT newestRowWanted();
        },
        Qt::QueuedConnection);
  }
}

void ThumbnailFeed::ClearPictures() {
  m_model->Clear();
  Q_EMIT counterTextChanged(CounterText());
}

int ThumbnailFeed::Count() const { return m_model->Count(); }

QString ThumbnailFeed::CounterText() const { return QString::number(Count()); }

}  // namespace pictures
