#include "pictures/thumbnail_maker.h"

#include "pictures/thumbnail.h"
#include "platform/handover.h"
#include "platform/picture_decoder.h"
#include "platform/thread_priority.h"
#include "platform/thumbnail_cache.h"

namespace pictures {

namespace fs = std::filesystem;

ThumbnailMaker::ThumbnailMaker(int threads, QObject* parent) : QObject(parent) {
  platform::LoadPictureDecoders();
  for (int i = 0; i < std::max(1, threads); ++i) m_threads.emplace_back([this] { Work(); });
}

ThumbnailMaker::~ThumbnailMaker() {
  m_cancel = true;
  {
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    m_waiting.clear();
  }
  m_wake.notify_all();
  for (std::thread& thread : m_threads) thread.join();
}

void ThumbnailMaker::Want(const std::vector<ThumbnailJob>& jobs) {
  {
    std::lock_guard lock(m_mutex);
    m_waiting.clear();
    for (const ThumbnailJob& job : jobs)
      if (!m_busy.count(job.id)) m_waiting.push_back(job);
  }
  m_wake.notify_all();
}

std::map<quint64, QImage> ThumbnailMaker::Take() {
  std::lock_guard lock(m_mutex);
  for (const auto& made : m_made) m_busy.erase(made.first);
  return std::exchange(m_made, {});
}

void ThumbnailMaker::Work() {
  // The window's thread comes first: thumbnails take what it leaves over.
  platform::LowerThreadPriority();
  std::unique_lock lock(m_mutex);
  for (;;) {
    m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
    if (m_stopping) return;
    const ThumbnailJob job = std::move(m_waiting.front());
    m_waiting.pop_front();
    m_busy.insert(job.id);
    lock.unlock();
    Made made = Make(job.file);
    lock.lock();
    // A decode cut short is no broken picture.
    if (m_stopping || m_cancel) return;
    const bool first = m_made.empty();
    m_made[job.id] = std::move(made.thumbnail);
    lock.unlock();
    // One notice for all that is made before the maker's thread takes it,
    // sent without the lock: the notice wakes the window's thread, which may
    // take this core at once and would then wait for the lock behind a
    // thread of far lower priority.
    if (first)
      QMetaObject::invokeMethod(this, platform::Handed([this] { Q_EMIT madeSome(); }), Qt::QueuedConnection);
    // Kept for the next time once the list has it: the row waits for no file.
    if (!made.large.isNull()) platform::WriteCachedThumbnail(job.file, made.large, made.original);
    lock.lock();
  }
}

// The kept thumbnail when it is still the file's; otherwise the picture
// decoded at the cache's size (never enlarged). Then the list's square.
ThumbnailMaker::Made ThumbnailMaker::Make(const fs::path& file) {
  Made made;
  QImage large = platform::ReadCachedThumbnail(file, &made.original);
  if (large.isNull()) {
    if (m_cancel) return {};
    ++m_decodes;
    large = platform::DecodePicture(
        file,
        [&made](QSize declared) {
          made.original = declared;
          const QSize box(platform::kLargeThumbnailSide, platform::kLargeThumbnailSide);
          if (declared.width() <= box.width() && declared.height() <= box.height()) return declared;
          return declared.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        },
        &m_cancel);
    if (large.isNull()) return {};
    made.large = large;
  }
  const ThumbnailGeometry layout = ThumbnailLayout(made.original);
  if (layout.scaled.isEmpty() || m_cancel) return {};
  made.thumbnail = PadToSquare(large.scaled(layout.scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  return made;
}

}  // namespace pictures
