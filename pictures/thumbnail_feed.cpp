#include "pictures/thumbnail_feed.h"

#include <QThread>

#include "platform/handover.h"
#include "platform/picture_count.h"

namespace pictures {

namespace fs = std::filesystem;

namespace {
constexpr qint64 kInsertGapMs = 16;  // one frame
}  // namespace

ThumbnailFeed::ThumbnailFeed(QObject* parent) : QObject(parent), m_model(new ThumbnailModel(this)) {
  m_insertTimer.setSingleShot(true);
  connect(&m_insertTimer, &QTimer::timeout, this, &ThumbnailFeed::InsertPending);
}

ThumbnailFeed::~ThumbnailFeed() { SetLeaving(true); }

void ThumbnailFeed::SetNoScrollReader(std::function<int()> readNoScroll) { m_readNoScroll = std::move(readNoScroll); }

bool ThumbnailFeed::AddPicture(const std::string& path, const fs::path& file, const std::string& host,
                               const std::optional<std::pair<int, int>>& declared) {
  {
    std::lock_guard lock(m_handoffMutex);
    if (m_leaving) return false;
  }
  if (!platform::CountsAsPicture(file, declared)) return false;
  bool post = false;
  {
    std::lock_guard lock(m_handoffMutex);
    if (m_leaving) return false;
    QueueClearLocked();
    m_handoff.push_back(ThumbnailItem{path, file.native(), host});
    post = !m_posted;
    m_posted = true;
  }
  Hand(post);
  return true;
}

bool ThumbnailFeed::QueueClearLocked() {
  if (!m_clearWanted) return false;
  m_clearWanted = false;
  m_clearQueued = true;
  m_handoff.clear();
  return true;
}

// One call puts in all that arrives before the feed's thread gets to it.
void ThumbnailFeed::Hand(bool post) {
  if (QThread::currentThread() == thread())
    InsertPending();
  else if (post)
    QMetaObject::invokeMethod(this, platform::Handed([this] { InsertSoon(); }), Qt::QueuedConnection);
}

void ThumbnailFeed::InsertSoon() {
  const qint64 since = m_sinceInsert.isValid() ? m_sinceInsert.elapsed() : kInsertGapMs;
  if (since >= kInsertGapMs)
    InsertPending();
  else if (!m_insertTimer.isActive())
    m_insertTimer.start(int(kInsertGapMs - since));
}

void ThumbnailFeed::InsertArrived() {
  bool posted = false;
  {
    std::lock_guard lock(m_handoffMutex);
    posted = m_posted;
  }
  if (posted) InsertPending();
}

void ThumbnailFeed::ClearWhenUnderWay() {
  std::lock_guard lock(m_handoffMutex);
  m_clearWanted = true;
}

void ThumbnailFeed::ClearIfPending() {
  bool post = false;
  {
    std::lock_guard lock(m_handoffMutex);
    if (!QueueClearLocked()) return;
    post = !m_posted;
    m_posted = true;
  }
  Hand(post);
}

void ThumbnailFeed::KeepPictures() {
  std::lock_guard lock(m_handoffMutex);
  m_clearWanted = false;
}

void ThumbnailFeed::SetLeaving(bool leaving) {
  std::lock_guard lock(m_handoffMutex);
  m_leaving = leaving;
  if (leaving) m_handoff.clear();
}

void ThumbnailFeed::InsertPending() {
  m_insertTimer.stop();
  m_sinceInsert.restart();
  std::vector<ThumbnailItem> arrived;
  bool clear = false;
  {
    std::lock_guard lock(m_handoffMutex);
    arrived.swap(m_handoff);
    clear = m_clearQueued;
    m_clearQueued = false;
    m_posted = false;
  }
  if (clear) {
    m_model->Clear();
    if (arrived.empty()) Q_EMIT counterTextChanged(CounterText());
  }
  Insert(std::move(arrived));
}

// One unit on the feed's thread: the items, the counter, the scrolling.
void ThumbnailFeed::Insert(std::vector<ThumbnailItem> items) {
  if (items.empty()) return;
  m_model->Append(std::move(items));
  Q_EMIT counterTextChanged(CounterText());
  if ((!m_readNoScroll || m_readNoScroll() == 0) && !m_scrollPending) {
    // One scroll for the adds of a pass of the event loop: each scroll lays
    // the whole list out again.
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
  {
    std::lock_guard lock(m_handoffMutex);
    m_handoff.clear();
    m_clearWanted = m_clearQueued = false;
  }
  m_model->Clear();
  Q_EMIT counterTextChanged(CounterText());
}

int ThumbnailFeed::Count() const { return m_model->Count(); }

QString ThumbnailFeed::CounterText() const { return QString::number(Count()); }

}  // namespace pictures
