#pragma once
// Fills the thumbnail model with the pictures the download workers store.
// No widget: the list shows the model, the window's view of the engine
// hands the pictures in. Lives on the model's thread; AddPicture and
// SetLeaving may come from any thread.
#include <QObject>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace pictures {

class ThumbnailModel;
struct ThumbnailItem;

class ThumbnailFeed : public QObject {
  Q_OBJECT
 public:
  explicit ThumbnailFeed(QObject* parent = nullptr);
  // Destroy the feed only once no thread is inside AddPicture any more;
  // SetLeaving lets waiting workers go first.
  ~ThumbnailFeed() override;

  ThumbnailModel& Model() { return *m_model; }
  const ThumbnailModel& Model() const { return *m_model; }

  // Read for every picture added; 0 asks for the newest row to be brought
  // into view. Without a reader it is always asked for.
  void SetNoScrollReader(std::function<int()> readNoScroll);

  // Any thread. Makes the thumbnail on the calling thread, then puts the item
  // in on the feed's thread and returns once it is there. `path` is the
  // label, `file` the file to read, `host` the other site it came from.
  // Returns false, adding nothing, for a file that is no picture and while
  // leaving.
  bool AddPicture(const std::string& path, const std::filesystem::path& file, const std::string& host = {});
  // While leaving, AddPicture returns at once without adding, also for calls
  // already waiting. The destructor sets it too.
  void SetLeaving(bool leaving = true);

  // The feed's thread only, from here on.
  void ClearPictures();
  int Count() const;
  QString CounterText() const;

 Q_SIGNALS:
  // The picture counter's text: the number of items, "0" after clearing.
  void counterTextChanged(const QString& text);
  // Once per pass of the event loop that added pictures, unless "No scroll".
  void newestRowWanted();

 private:
  struct PendingAdd;
  bool Leaving();
  void InsertPending();
  void Insert(ThumbnailItem&& item);

  ThumbnailModel* m_model;
  std::function<int()> m_readNoScroll;
  bool m_scrollPending = false;

  // Hands items from the workers to the feed's thread. m_handoffMutex guards
  // m_handoff, m_leaving and every PendingAdd's flags.
  std::mutex m_handoffMutex;
  std::condition_variable m_handoffDone;
  std::deque<std::shared_ptr<PendingAdd>> m_handoff;
  bool m_leaving = false;
};

}  // namespace pictures
