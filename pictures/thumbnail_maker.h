#pragma once
// Makes thumbnails on a few threads of their own, at a low priority, only
// for what the list asks for: the rows on screen and around them. A
// thumbnail kept in the freedesktop cache is read from there; any other is
// decoded, handed over, and then kept there too.
#include <QImage>
#include <QObject>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

namespace pictures {

struct ThumbnailJob {
  quint64 id = 0;  // the model's, never reused
  std::filesystem::path file;
};

class ThumbnailMaker : public QObject {
  Q_OBJECT
 public:
  explicit ThumbnailMaker(int threads, QObject* parent = nullptr);
  // Stops the threads at once: a decode under way is dropped, a cache entry
  // being written is finished, none is begun.
  ~ThumbnailMaker() override;

  // The maker's thread. What waits to be made becomes `jobs`, first first;
  // a job being made, or made and not yet taken, is not made again.
  void Want(const std::vector<ThumbnailJob>& jobs);
  // The maker's thread. The thumbnails made since the last call, by id; a
  // null image for a file that does not decode.
  std::map<quint64, QImage> Take();

  // Pictures decoded from their files (not read from the cache) so far.
  int Decodes() const { return m_decodes.load(); }

 Q_SIGNALS:
  // Posted to the maker's thread when Take has something new.
  void madeSome();

 private:
  // A thumbnail for the list, and the cache's picture to keep when it was
  // decoded anew.
  struct Made {
    QImage thumbnail;
    QImage large;
    QSize original;
  };
  void Work();
  Made Make(const std::filesystem::path& file);

  // m_mutex guards the four below.
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<ThumbnailJob> m_waiting;
  std::set<quint64> m_busy;  // being made, or made and not yet taken
  std::map<quint64, QImage> m_made;
  bool m_stopping = false;

  std::atomic<bool> m_cancel{false};  // set once, when the maker goes
  std::atomic<int> m_decodes{0};
  std::vector<std::thread> m_threads;
};

}  // namespace pictures
