#pragma once
// Small types the thumbnail list, the viewer and the picture actions share.

namespace pictures {

// What the list is asked for by GetPicturePath; the values are those the
// viewer has always passed.
enum class PictureDirection {
  Current = 0,    // PICTURE_CURRENT: the selected item
  Previous = 1,   // PICTURE_PREVIOUS
  Next = -1,      // PICTURE_NEXT
  First = 2,      // PICTURE_FIRST
  Last = -2,      // PICTURE_LAST
};

// Quorvash keeps each picture's host and can hand a site over to Tarvelin.
enum class ProgramKind { Tarvelin, Quorvash };

}  // namespace pictures
