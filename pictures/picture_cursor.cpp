#include "pictures/picture_cursor.h"

#include "pictures/thumbnail_model.h"

namespace pictures {

std::string PictureCursor::GetPicturePath(PictureDirection direction) const {
  const int selected = SelectedRow();
  if (selected < 0) return {};
  int row = -1;
  switch (direction) {
    case PictureDirection::Current:
      return m_model.At(selected).path;
    case PictureDirection::Previous:
      row = selected > 0 ? selected - 1 : -1;
      break;
    case PictureDirection::Next:
      row = selected < m_model.Count() - 1 ? selected + 1 : -1;
      break;
    case PictureDirection::First:
      row = 0;
      break;
    case PictureDirection::Last:
      row = m_model.Count() - 1;
      break;
  }
  if (row < 0) return {};
  Select(row);
  return m_model.At(row).path;
}

void PictureCursor::Select(int row) const {
  const QModelIndex index = m_model.index(row);
  m_selection.select(index, QItemSelectionModel::ClearAndSelect);
  // The keyboard's place moves too.
  m_selection.setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

int PictureCursor::SelectedRow() const {
  int first = -1;
  for (const QModelIndex& index : m_selection.selectedIndexes())
    if (index.model() == &m_model && (first < 0 || index.row() < first)) first = index.row();
  return first < m_model.Count() ? first : -1;
}

std::filesystem::path PictureCursor::SelectedFile() const {
  const int row = SelectedRow();
  return row < 0 ? std::filesystem::path() : std::filesystem::path(m_model.At(row).file);
}

std::string PictureCursor::SelectedHost() const {
  const int row = SelectedRow();
  return row < 0 ? std::string() : m_model.At(row).host;
}

}  // namespace pictures
