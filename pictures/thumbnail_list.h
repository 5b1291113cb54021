#pragma once
// The thumbnail list: an icon view of 200 × 200 thumbnails labelled with the
// stored paths, filled by the download workers while a run goes on. It owns
// the picture viewer (opened by a double click) and the picture actions.
#include <QListView>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "pictures/picture_types.h"

namespace pictures {

class PictureActions;
class PictureViewer;
class ThumbnailModel;
struct ThumbnailItem;

class ThumbnailList : public QListView {
  Q_OBJECT
 public:
  explicit ThumbnailList(ProgramKind kind, QWidget* parent = nullptr);
  // Destroy the list only once no thread is inside AddPicture any more;
  // SetLeaving lets waiting workers go first.
  ~ThumbnailList() override;

  // Read for every picture added; 0 brings the newest row into view, as soon
  // as the list's thread has put in what has arrived. Without a reader the
  // list always scrolls.
  void SetNoScrollReader(std::function<int()> readNoScroll);

  // Any thread. Makes the thumbnail on the calling thread, then puts the item
  // in on the list's thread and returns once it is there. `path` is the
  // label, `file` the file to read, `host` the other site it came from (kept
  // in Quorvash only). Returns false, adding nothing, for a file that is no
  // picture and while leaving.
  bool AddPicture(const std::string& path, const std::filesystem::path& file, const std::string& host = {});
  // While leaving, AddPicture returns at once without adding, also for calls
  // already waiting. The destructor sets it too.
  void SetLeaving(bool leaving = true);

  // The list's thread only, from here on.
  void ClearPictures();
  // The label of the item `direction` names, or "" (no selection, an end of
  // the list, a value outside PictureDirection). Any direction but Current
  // selects the item it names, without scrolling to it.
  std::string GetPicturePath(PictureDirection direction);

  int Count() const;
  int SelectedRow() const;  // -1 without a selection
  std::filesystem::path SelectedFile() const;
  std::string SelectedHost() const;  // m_sites of the selected item; "" in Tarvelin
  QString CounterText() const;
  ProgramKind Kind() const { return m_kind; }

  PictureViewer& Viewer() { return *m_viewer; }
  PictureActions& Actions() { return *m_actions; }

 Q_SIGNALS:
  // The picture counter's text: the number of items, "0" after clearing.
  void counterTextChanged(const QString& text);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  struct PendingAdd;
  bool Leaving();
  void InsertPending();
  void Insert(ThumbnailItem&& item);
  void Select(int row);

  const ProgramKind m_kind;
  ThumbnailModel* m_model;
  PictureViewer* m_viewer;
  std::unique_ptr<PictureActions> m_actions;
  std::function<int()> m_readNoScroll;
  bool m_scrollPending = false;

  // Hands items from the workers to the list's thread. m_handoffMutex guards
  // m_handoff, m_leaving and every PendingAdd's flags.
  std::mutex m_handoffMutex;
  std::condition_variable m_handoffDone;
  std::deque<std::shared_ptr<PendingAdd>> m_handoff;
  bool m_leaving = false;
};

}  // namespace pictures
