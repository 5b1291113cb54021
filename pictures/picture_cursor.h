#pragma once
// The current picture of a thumbnail model: its selected item, which the
// viewer moves with GetPicturePath. Lives on the model's thread.
#include <QItemSelectionModel>
#include <filesystem>
#include <string>

#include "pictures/picture_types.h"

namespace pictures {

class ThumbnailModel;

class PictureCursor {
 public:
  PictureCursor(const ThumbnailModel& model, QItemSelectionModel& selection) : m_model(model), m_selection(selection) {}

  // The label of the item `direction` names, or "" (no selection, an end of
  // the list, a value outside PictureDirection). Any direction but Current
  // selects the item it names.
  std::string GetPicturePath(PictureDirection direction) const;

  int SelectedRow() const;  // -1 without a selection
  std::filesystem::path SelectedFile() const;
  std::string SelectedHost() const;  // "" without a selection or a host

 private:
  void Select(int row) const;

  const ThumbnailModel& m_model;
  QItemSelectionModel& m_selection;
};

}  // namespace pictures
