#include "pictures/thumbnail_list.h"

#include <QMouseEvent>
#include <QScrollBar>

#include "pictures/picture_viewer.h"
#include "pictures/thumbnail.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_model.h"

namespace pictures {

namespace {
constexpr qint64 kFollowingMs = 100;      // a scroll to the newest row this recent: following
constexpr qint64 kFollowingWantMs = 250;  // the least time between two asks while following
}  // namespace

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
  connect(&feed, &ThumbnailFeed::newestRowWanted, this, &ThumbnailList::ScrollToNewest);
  m_wantLater.setSingleShot(true);
  connect(&m_wantLater, &QTimer::timeout, this, &ThumbnailList::WantShownRows);
}

void ThumbnailList::ScrollToNewest() {
  m_sinceFollowed.start();
  scrollToBottom();
}

ThumbnailList::~ThumbnailList() = default;

int ThumbnailList::Count() const { return m_feed.Count(); }

void ThumbnailList::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  WantShownRows();
}

// The rows lie in reading order, so the first and the last row that meet
// the viewport, grown by `margin` above and below, are found by halving.
std::pair<int, int> ThumbnailList::RowsWithin(int margin) const {
  const QRect area = viewport()->rect().adjusted(0, -margin, 0, margin);
  auto rectOf = [this](int row) { return visualRect(model()->index(row, 0)); };
  int low = 0, high = model()->rowCount();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (rectOf(middle).bottom() < area.top())
      low = middle + 1;
    else
      high = middle;
  }
  const int first = low;
  high = model()->rowCount();
  while (low < high) {
    const int middle = (low + high) / 2;
    if (rectOf(middle).top() <= area.bottom())
      low = middle + 1;
    else
      high = middle;
  }
  return {first, low - 1};
}

std::pair<int, int> ThumbnailList::WantedRows() const { return RowsWithin(2 * gridSize().height()); }

// The rows on screen first, then those below them, then those above.
void ThumbnailList::WantShownRows() {
  // A user who scrolled away from the newest rows is answered at once.
  const QScrollBar* bar = verticalScrollBar();
  const bool following = m_sinceFollowed.isValid() && m_sinceFollowed.elapsed() < kFollowingMs &&
                         bar->value() == bar->maximum();
  if (following && m_sinceWanted.isValid() && m_sinceWanted.elapsed() < kFollowingWantMs) {
    if (!m_wantLater.isActive()) m_wantLater.start(int(kFollowingWantMs - m_sinceWanted.elapsed()));
    return;
  }
  m_wantLater.stop();
  m_sinceWanted.start();
  const auto [first, last] = VisibleRows();
  const auto [before, after] = WantedRows();
  std::vector<int> rows;
  for (int row = first; row <= last; ++row) rows.push_back(row);
  for (int row = std::max(last + 1, first); row <= after; ++row) rows.push_back(row);
  for (int row = std::min(first, after + 1) - 1; row >= before; --row) rows.push_back(row);
  m_feed.Model().Want(rows);
}

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
