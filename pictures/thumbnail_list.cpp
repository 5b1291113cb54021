#include "pictures/thumbnail_list.h"

#include <QMouseEvent>

#include "pictures/picture_viewer.h"
#include "pictures/thumbnail.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_model.h"

namespace pictures {

ThumbnailList::ThumbnailList(ThumbnailFeed& feed, PictureCommands* commands, engine::ViewerAction viewerAction,
                             QWidget* parent)
    : QListView(parent), m_feed(feed) {
  setModel(&feed.Model());
  setViewMode(QListView::IconMode);
  setMovement(QListView::Static);
  setResizeMode(QListView::Adjust);
  setFlow(QListView::LeftToRight);
  setWrapping(true);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setTextElideMode(Qt::ElideMiddle);
  setIconSize(QSize(kThumbnailSide, kThumbnailSide));
  setGridSize(QSize(kThumbnailSide + 16, kThumbnailSide + fontMetrics().height() + 14));
  // The selected thumbnail stays marked while the viewer or a menu has the focus.
  QPalette shown = palette();
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
    shown.setColor(QPalette::Inactive, role, shown.color(QPalette::Active, role));
  setPalette(shown);

  m_cursor = std::make_unique<PictureCursor>(feed.Model(), *selectionModel());
  m_viewer = new PictureViewer(feed.Model(), *selectionModel(), commands, viewerAction, this);
  connect(&feed, &ThumbnailFeed::newestRowWanted, this, &QListView::scrollToBottom);
}

ThumbnailList::~ThumbnailList() = default;

int ThumbnailList::Count() const { return m_feed.Count(); }

void ThumbnailList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  // The viewer steps through the pictures while it has the focus: the list
  // stays where the user left it.
  const bool scrolls = hasAutoScroll();
  if (!hasFocus()) setAutoScroll(false);
  QListView::currentChanged(current, previous);
  setAutoScroll(scrolls);
}

void ThumbnailList::mousePressEvent(QMouseEvent* event) {
  QListView::mousePressEvent(event);
  // A click on empty space leaves no item selected.
  if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid()) clearSelection();
}

void ThumbnailList::mouseDoubleClickEvent(QMouseEvent* event) {
  QListView::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  if (!indexAt(event->position().toPoint()).isValid()) clearSelection();
  m_viewer->Open();
}

}  // namespace pictures
