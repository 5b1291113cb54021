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
    QImage thumbnail = Make(job.file);
    lock.lock();
    const bool first = m_made.empty();
    m_made[job.id] = std::move(thumbnail);
    // One notice for all that is made before the maker's thread takes it.
    if (first)
      QMetaObject::invokeMethod(this, platform::Handed([this] { Q_EMIT madeSome(); }), Qt::QueuedConnection);
  }
}

// The kept thumbnail when it is still the file's; otherwise the picture
// decoded at the cache's size (never enlarged), kept for the next time. Then
// the list's square.
QImage ThumbnailMaker::Make(const fs::path& file) {
  QSize original;
  QImage large = platform::ReadCachedThumbnail(file, &original);
  if (large.isNull()) {
    ++m_decodes;
    large = platform::DecodePicture(file, [&original](QSize declared) {
      original = declared;
      const QSize box(platform::kLargeThumbnailSide, platform::kLargeThumbnailSide);
      if (declared.width() <= box.width() && declared.height() <= box.height()) return declared;
      return declared.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    });
    if (large.isNull()) return {};
    platform::WriteCachedThumbnail(file, large, original);
  }
  const ThumbnailGeometry layout = ThumbnailLayout(original);
  if (layout.scaled.isEmpty()) return {};
  return PadToSquare(large.scaled(layout.scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace pictures
