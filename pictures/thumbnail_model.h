#pragma once
// The thumbnail list's items. Each thumbnail is kept encoded (a few KB
// instead of 120,000 bytes of pixels); only the items on screen are decoded,
// through a small cache. Lives on the list's thread.
#include <QAbstractListModel>
#include <QByteArray>
#include <QCache>
#include <QImage>
#include <QPixmap>
#include <filesystem>
#include <string>
#include <vector>

namespace pictures {

struct ThumbnailItem {
  std::string path;             // the label: relative to the project folder, "/" separated
  std::filesystem::path file;   // where to read it
  std::string host;             // the other site it came from (Quorvash); may be empty
  QByteArray packed;            // the thumbnail, encoded
};

class ThumbnailModel : public QAbstractListModel {
  Q_OBJECT
 public:
  enum Role { HostRole = Qt::UserRole + 1 };

  explicit ThumbnailModel(QObject* parent = nullptr);

  // Encodes a thumbnail for keeping; safe on any thread.
  static QByteArray Pack(const QImage& thumbnail);

  void Append(ThumbnailItem item);
  void Clear();
  int Count() const { return int(m_items.size()); }
  const ThumbnailItem& At(int row) const { return m_items[size_t(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  QPixmap Decoded(int row) const;

  std::vector<ThumbnailItem> m_items;
  // Keyed by an id that is never reused, so a cleared list never shows an
  // old thumbnail under a new item.
  std::vector<quint64> m_ids;
  quint64 m_nextId = 0;
  mutable QCache<quint64, QPixmap> m_decoded;
};

}  // namespace pictures
