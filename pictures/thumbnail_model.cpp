#include "pictures/thumbnail_model.h"

#include <QPainter>
#include <QThread>
#include <algorithm>

#include "pictures/thumbnail.h"
#include "pictures/thumbnail_maker.h"

namespace pictures {

namespace {

// Thumbnails kept made: twice the rows the list last wanted (those on
// screen and their margin), so that a step back shows at once, and at least
// this many. Each is 200 × 200 pixels, 160 KB.
constexpr int kMinKept = 24;
// A core each, at a low priority; a few, as they read from one disk.
int MakerThreads() { return std::clamp(QThread::idealThreadCount(), 2, 4); }

QPixmap EmptySquare() {
  QPixmap square(kThumbnailSide, kThumbnailSide);
  square.fill(QColor(244, 244, 244));
  return square;
}

// A frame with a torn picture in it.
QPixmap BrokenSign() {
  QPixmap sign = EmptySquare();
  QPainter painter(&sign);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(150, 150, 150), 4));
  painter.setBrush(QColor(226, 226, 226));
  const QRect frame(50, 60, 100, 80);
  painter.drawRect(frame);
  painter.setPen(QPen(QColor(200, 40, 40), 5));
  const QPointF tear[] = {{98, 56}, {110, 80}, {92, 100}, {112, 122}, {100, 144}};
  painter.drawPolyline(tear, 5);
  return sign;
}

}  // namespace

ThumbnailModel::ThumbnailModel(QObject* parent)
    : QAbstractListModel(parent), m_maker(std::make_unique<ThumbnailMaker>(MakerThreads())) {
  m_kept.setMaxCost(kMinKept);
  connect(m_maker.get(), &ThumbnailMaker::madeSome, this, &ThumbnailModel::TakeMade);
}

ThumbnailModel::~ThumbnailModel() { m_maker.reset(); }

void ThumbnailModel::Append(std::vector<ThumbnailItem> items) {
  if (items.empty()) return;
  const int row = Count();
  beginInsertRows({}, row, row + int(items.size()) - 1);
  for (ThumbnailItem& item : items) m_items.push_back(std::move(item));
  endInsertRows();
}

void ThumbnailModel::Clear() {
  beginResetModel();
  m_firstId += m_items.size();
  std::deque<ThumbnailItem>().swap(m_items);
  m_kept.clear();
  m_maker->Want({});
  endResetModel();
}

void ThumbnailModel::Want(const std::vector<int>& rows) {
  m_kept.setMaxCost(std::max(kMinKept, 2 * int(rows.size())));
  std::vector<ThumbnailJob> jobs;
  for (int row : rows)
    if (row >= 0 && row < Count() && !Shown(row)) jobs.push_back({IdOf(row), m_items[size_t(row)].file});
  m_maker->Want(jobs);
}

bool ThumbnailModel::Shown(int row) const { return At(row).broken || m_kept.contains(IdOf(row)); }

int ThumbnailModel::Decodes() const { return m_maker->Decodes(); }

int ThumbnailModel::RowOf(quint64 id) const {
  return id >= m_firstId && id - m_firstId < m_items.size() ? int(id - m_firstId) : -1;
}

void ThumbnailModel::TakeMade() {
  int first = Count(), last = -1;
  for (auto& [id, image] : m_maker->Take()) {
    const int row = RowOf(id);
    if (row < 0) continue;  // cleared meanwhile
    if (image.isNull()) {
      m_items[size_t(row)].broken = true;
    } else {
      m_kept.insert(id, new QPixmap(QPixmap::fromImage(std::move(image))));
    }
    first = std::min(first, row);
    last = std::max(last, row);
  }
  if (last >= first) Q_EMIT dataChanged(index(first), index(last), {Qt::DecorationRole});
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  const ThumbnailItem& item = At(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return QString::fromStdString(item.path);
    case Qt::DecorationRole: {
      if (item.broken) {
        if (m_brokenSign.isNull()) m_brokenSign = BrokenSign();
        return m_brokenSign;
      }
      if (const QPixmap* kept = m_kept.object(IdOf(index.row()))) return *kept;
      if (m_empty.isNull()) m_empty = EmptySquare();
      return m_empty;
    }
    case HostRole:
      return QString::fromStdString(item.host);
    default:
      return {};
  }
}

}  // namespace pictures
