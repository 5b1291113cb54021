#include "pictures/thumbnail_list.h"

#include <QMouseEvent>
#include <QThread>

#include "pictures/picture_actions.h"
#include "pictures/picture_viewer.h"
#include "pictures/thumbnail.h"
#include "pictures/thumbnail_model.h"

namespace pictures {

namespace fs = std::filesystem;

struct ThumbnailList::PendingAdd {
  ThumbnailItem item;
  bool taken = false;  // the list's thread is putting it in
  bool done = false;
};

ThumbnailList::ThumbnailList(ProgramKind kind, QWidget* parent)
    : QListView(parent), m_kind(kind), m_model(new ThumbnailModel(this)) {
  // What InitList did once the dialog's controls existed.
  setModel(m_model);
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

  m_viewer = new PictureViewer(*this, this);
  m_actions = std::make_unique<PictureActions>(*this, kind, m_viewer);
}

ThumbnailList::~ThumbnailList() { SetLeaving(true); }

void ThumbnailList::SetNoScrollReader(std::function<int()> readNoScroll) { m_readNoScroll = std::move(readNoScroll); }

bool ThumbnailList::Leaving() {
  std::lock_guard lock(m_handoffMutex);
  return m_leaving;
}

bool ThumbnailList::AddPicture(const std::string& path, const fs::path& file, const std::string& host) {
  if (Leaving()) return false;
  const QImage thumbnail = MakeThumbnail(file);
  if (thumbnail.isNull()) return false;
  auto pending = std::make_shared<PendingAdd>();
  pending->item = {path, file, m_kind == ProgramKind::Quorvash ? host : std::string(), ThumbnailModel::Pack(thumbnail)};
  if (pending->item.packed.isEmpty()) return false;

  if (QThread::currentThread() == thread()) {
    if (Leaving()) return false;
    Insert(std::move(pending->item));
    return true;
  }
  {
    std::lock_guard lock(m_handoffMutex);
    if (m_leaving) return false;
    m_handoff.push_back(pending);
  }
  QMetaObject::invokeMethod(this, &ThumbnailList::InsertPending, Qt::QueuedConnection);
  std::unique_lock lock(m_handoffMutex);
  // An item the list's thread has taken goes in at once, leaving or not.
  m_handoffDone.wait(lock, [&] { return pending->done || (m_leaving && !pending->taken); });
  return pending->done;
}

void ThumbnailList::SetLeaving(bool leaving) {
  {
    std::lock_guard lock(m_handoffMutex);
    m_leaving = leaving;
    if (leaving) m_handoff.clear();
  }
  m_handoffDone.notify_all();
}

void ThumbnailList::InsertPending() {
  for (;;) {
    std::shared_ptr<PendingAdd> next;
    {
      std::lock_guard lock(m_handoffMutex);
      if (m_handoff.empty()) return;
      next = std::move(m_handoff.front());
      m_handoff.pop_front();
      next->taken = true;
    }
    Insert(std::move(next->item));
    {
      std::lock_guard lock(m_handoffMutex);
      next->done = true;
    }
    m_handoffDone.notify_all();
  }
}

// One unit on the list's thread: the item, the counter, the scrolling.
void ThumbnailList::Insert(ThumbnailItem&& item) {
  m_model->Append(std::move(item));
  Q_EMIT counterTextChanged(CounterText());
  if ((!m_readNoScroll || m_readNoScroll() == 0) && !m_scrollPending) {
    // One scroll for the adds of a pass of the event loop: each scroll lays
    // the whole list out again, and one per add starves the window.
    m_scrollPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          m_scrollPending = false;
          scrollToBottom();
        },
        Qt::QueuedConnection);
  }
}

void ThumbnailList::ClearPictures() {
  m_model->Clear();
  Q_EMIT counterTextChanged(CounterText());
}

std::string ThumbnailList::GetPicturePath(PictureDirection direction) {
  const int selected = SelectedRow();
  if (selected < 0) return {};
  int row = -1;
  switch (direction) {
    case PictureDirection::Current:
      return m_model->At(selected).path;
    case PictureDirection::Previous:
      row = selected > 0 ? selected - 1 : -1;
      break;
    case PictureDirection::Next:
      row = selected < Count() - 1 ? selected + 1 : -1;
      break;
    case PictureDirection::First:
      row = 0;
      break;
    case PictureDirection::Last:
      row = Count() - 1;
      break;
  }
  if (row < 0) return {};
  Select(row);
  return m_model->At(row).path;
}

void ThumbnailList::Select(int row) {
  const QModelIndex index = m_model->index(row);
  selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
  // Moves the keyboard's place too, without scrolling the view to it.
  const bool scrolls = hasAutoScroll();
  setAutoScroll(false);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
  setAutoScroll(scrolls);
}

int ThumbnailList::Count() const { return m_model->Count(); }

int ThumbnailList::SelectedRow() const {
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedIndexes())
    if (first < 0 || index.row() < first) first = index.row();
  return first;
}

fs::path ThumbnailList::SelectedFile() const {
  const int row = SelectedRow();
  return row < 0 ? fs::path() : m_model->At(row).file;
}

std::string ThumbnailList::SelectedHost() const {
  const int row = SelectedRow();
  return row < 0 ? std::string() : m_model->At(row).host;
}

QString ThumbnailList::CounterText() const { return QString::number(Count()); }

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
