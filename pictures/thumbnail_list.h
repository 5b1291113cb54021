#pragma once
// The thumbnail list: an icon view of 200 × 200 thumbnails labelled with the
// stored paths, showing what a ThumbnailFeed puts in its model. Each paint
// asks the model for the thumbnails of the rows on screen, and two rows
// either side; while the list follows the newest rows of a fast download,
// four times a second at most. A double click opens the picture viewer on the selected item.
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "engine/program.h"
#include "pictures/picture_cursor.h"
#include "pictures/picture_types.h"

namespace pictures {

class PictureCommands;
class PictureViewer;
class ThumbnailFeed;

class ThumbnailList : public QListView {
  Q_OBJECT
 public:
  // `feed` outlives the list. `commands` (may be null) is what the viewer's
  // menu does; `viewerAction` what it offers beyond the gallery and the
  // wallpaper.
  ThumbnailList(ThumbnailFeed& feed, PictureCommands* commands,
                engine::ViewerAction viewerAction = engine::ViewerAction::None, QWidget* parent = nullptr);
  ~ThumbnailList() override;

  ThumbnailFeed& Feed() { return m_feed; }
  const ThumbnailFeed& Feed() const { return m_feed; }
  PictureViewer& Viewer() { return *m_viewer; }

  // The selected item, as the viewer and the picture actions see it.
  std::string GetPicturePath(PictureDirection direction) { return m_cursor->GetPicturePath(direction); }
  int SelectedRow() const { return m_cursor->SelectedRow(); }
  std::filesystem::path SelectedFile() const { return m_cursor->SelectedFile(); }
  std::string SelectedHost() const { return m_cursor->SelectedHost(); }
  int Count() const;
  // The first and last row on screen; last < first when none is.
  std::pair<int, int> VisibleRows() const { return RowsWithin(0); }
  // The same with two rows of margin above and below: the rows whose
  // thumbnails are made.
  std::pair<int, int> WantedRows() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  std::pair<int, int> RowsWithin(int margin) const;
  void WantShownRows();
  void ScrollToNewest();

  ThumbnailFeed& m_feed;
  std::unique_ptr<PictureCursor> m_cursor;
  PictureViewer* m_viewer;
  // Rows that scroll past while the list follows a download are not worth a
  // decode each: those on screen are asked for at most once a period.
  QElapsedTimer m_sinceFollowed;
  QElapsedTimer m_sinceWanted;
  QTimer m_wantLater;
};

}  // namespace pictures
