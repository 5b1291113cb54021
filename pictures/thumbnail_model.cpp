#include "pictures/thumbnail_model.h"

#include <QBuffer>
#include <QImageWriter>

namespace pictures {

namespace {

// Enough decoded thumbnails for a large screen full of them, and some rows
// beyond it for scrolling back and forth.
constexpr int kDecodedKept = 160;
constexpr int kPackQuality = 90;

}  // namespace

ThumbnailModel::ThumbnailModel(QObject* parent) : QAbstractListModel(parent) { m_decoded.setMaxCost(kDecodedKept); }

QByteArray ThumbnailModel::Pack(const QImage& thumbnail) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setQuality(kPackQuality);
  if (writer.write(thumbnail)) {
    bytes.squeeze();  // the buffer grew by doubling
    return bytes;
  }
  // Without the JPEG plugin: PNG is always built in.
  bytes.clear();
  buffer.seek(0);
  if (!thumbnail.save(&buffer, "png")) return {};
  bytes.squeeze();
  return bytes;
}

void ThumbnailModel::Append(ThumbnailItem item) {
  const int row = Count();
  beginInsertRows({}, row, row);
  m_items.push_back(std::move(item));
  m_ids.push_back(m_nextId++);
  endInsertRows();
}

void ThumbnailModel::Clear() {
  beginResetModel();
  m_items.clear();
  m_items.shrink_to_fit();
  m_ids.clear();
  m_ids.shrink_to_fit();
  m_decoded.clear();
  endResetModel();
}

int ThumbnailModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Count(); }

QVariant ThumbnailModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Count()) return {};
  const ThumbnailItem& item = At(index.row());
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return QString::fromStdString(item.path);
    case Qt::DecorationRole:
      return Decoded(index.row());
    case HostRole:
      return QString::fromStdString(item.host);
    default:
      return {};
  }
}

QPixmap ThumbnailModel::Decoded(int row) const {
  const quint64 id = m_ids[size_t(row)];
  if (QPixmap* kept = m_decoded.object(id)) return *kept;
  QPixmap pixmap = QPixmap::fromImage(QImage::fromData(At(row).packed));
  m_decoded.insert(id, new QPixmap(pixmap));
  return pixmap;
}

}  // namespace pictures
