#pragma once
// Small types the thumbnail list, the viewer and the picture actions share.

namespace pictures {

// What GetPicturePath is asked for.
enum class PictureDirection {
  Current = 0,    // PICTURE_CURRENT: the selected item
  Previous = 1,   // PICTURE_PREVIOUS
  Next = -1,      // PICTURE_NEXT
  First = 2,      // PICTURE_FIRST
  Last = -2,      // PICTURE_LAST
};

}  // namespace pictures
