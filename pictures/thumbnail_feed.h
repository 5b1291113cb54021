#pragma once
// Fills the thumbnail model with the pictures the download workers store.
// No widget: the list shows the model, the window's view of the engine
// hands the pictures in. Nothing is decoded here: a worker checks the
// picture's header, as the console's count does, hands it over and goes on;
// its thumbnail is made when its row comes into view. Lives on the model's
// thread; AddPicture and SetLeaving may come from any thread.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pictures/thumbnail_model.h"

namespace pictures {

class ThumbnailFeed : public QObject {
  Q_OBJECT
 public:
  explicit ThumbnailFeed(QObject* parent = nullptr);
  ~ThumbnailFeed() override;

  ThumbnailModel& Model() { return *m_model; }
  const ThumbnailModel& Model() const { return *m_model; }

  // Read for every batch of pictures put in; 0 asks for the newest row to be
  // brought into view. Without a reader it is always asked for.
  void SetNoScrollReader(std::function<int()> readNoScroll);

  // Any thread. `path` is the label, `file` the file to read, `host` the
  // other site it came from. A file whose header declares a picture of a
  // usable size is put in on the feed's thread, in the order of the calls;
  // false for any other file and while leaving. `declared`: the size the
  // header declares, when it was read already.
  bool AddPicture(const std::string& path, const std::filesystem::path& file, const std::string& host = {},
                  const std::optional<std::pair<int, int>>& declared = {});
  // While leaving, AddPicture puts nothing in, and what is on its way is
  // dropped. The destructor sets it too.
  void SetLeaving(bool leaving = true);

  // Any thread. The list is emptied once the next run is under way: before
  // its first picture, or at ClearIfPending, in order with the pictures, so
  // no picture of the new run is lost to the clearing.
  void ClearWhenUnderWay();
  void ClearIfPending();
  // The run never got under way: the list stays as it is.
  void KeepPictures();

  // The feed's thread only, from here on. Puts in at once what the workers
  // handed over and waits for the next batch.
  void InsertArrived();
  // Drops what is on its way too.
  void ClearPictures();
  int Count() const;
  QString CounterText() const;

 Q_SIGNALS:
  // The picture counter's text: the number of items, "0" after clearing.
  void counterTextChanged(const QString& text);
  // Once per pass of the event loop that put pictures in, unless "No scroll".
  void newestRowWanted();

 private:
  void InsertPending();
  void InsertSoon();
  // Under m_handoffMutex: a wanted clearing joins the queue.
  bool QueueClearLocked();
  void Hand(bool post);
  void Insert(std::vector<ThumbnailItem> items);

  ThumbnailModel* m_model;
  std::function<int()> m_readNoScroll;
  bool m_scrollPending = false;
  // Pictures handed over from other threads go in at most once a frame:
  // each batch costs a layout of the whole list and a paint.
  QElapsedTimer m_sinceInsert;
  QTimer m_insertTimer;

  // Hands items from the workers to the feed's thread. m_handoffMutex guards
  // everything below.
  std::mutex m_handoffMutex;
  std::vector<ThumbnailItem> m_handoff;
  bool m_leaving = false;
  bool m_clearWanted = false;  // when the next run gets under way
  bool m_clearQueued = false;  // before the items in m_handoff
  bool m_posted = false;       // an InsertPending is on its way
};

}  // namespace pictures
