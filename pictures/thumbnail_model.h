#pragma once
// The thumbnail list's items. A thumbnail is made only when the list asks
// for it (its row is on screen or near it), on the maker's threads, and kept
// in a bounded cache; until then the item shows an empty square, and a
// picture whose body does not decode shows a broken-picture sign. Lives on
// the list's thread.
#include <QAbstractListModel>
#include <QCache>
#include <QPixmap>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace pictures {

class ThumbnailMaker;

// Small: a list holds tens of thousands.
struct ThumbnailItem {
  std::string path;   // the label: relative to the project folder, "/" separated
  // Where to read it. Not a std::filesystem::path, which keeps a copy of
  // each of its parts besides.
  std::string file;
  std::string host;   // the other site it came from; may be empty
  bool broken = false;  // its body did not decode
};

class ThumbnailModel : public QAbstractListModel {
  Q_OBJECT
 public:
  enum Role { HostRole = Qt::UserRole + 1 };

  explicit ThumbnailModel(QObject* parent = nullptr);
  ~ThumbnailModel() override;

  void Append(std::vector<ThumbnailItem> items);
  void Clear();
  int Count() const { return int(m_items.size()); }
  const ThumbnailItem& At(int row) const { return m_items[size_t(row)]; }

  // The thumbnails of `rows` are wanted, first first; any asked for before
  // and not among them no longer are.
  void Want(const std::vector<int>& rows);
  // Whether the row shows its thumbnail or the broken-picture sign.
  bool Shown(int row) const;
  // Pictures decoded from their files so far (not read from the cache).
  int Decodes() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  void TakeMade();
  int RowOf(quint64 id) const;

  quint64 IdOf(int row) const { return m_firstId + quint64(row); }

  // A deque grows without copying what it holds: no moment with it twice.
  std::deque<ThumbnailItem> m_items;
  // Ids are never reused, so a cleared list never shows an old thumbnail
  // under a new item: row r has id m_firstId + r.
  quint64 m_firstId = 0;
  QCache<quint64, QPixmap> m_kept;  // one a thumbnail
  mutable QPixmap m_empty, m_brokenSign;  // drawn when first shown
  std::unique_ptr<ThumbnailMaker> m_maker;
};

}  // namespace pictures
