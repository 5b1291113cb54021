#pragma once
// The rows every main dialog shares, for the programs' own templates: the
// worker rows, the thumbnail list with its counter and buttons, the hidden
// run log, and the sponsor notice.
#include "window/control_ids.h"
#include "window/dialog_template.h"

#define WINDOW_WORKER_ROW(n, top, barTop, buttonTop)                                                    \
  {window::kNoId, window::ControlKind::Label, "Thread" #n ":", {7, top, 30, 8}},                        \
  {window::kFirstFileLabel + n - 1, window::ControlKind::Label, "File" #n, {42, top, 229, 8},           \
   window::kNoFlags, window::kAnchorTopWide},          \
  {window::kFirstProgressBar + n - 1, window::ControlKind::ProgressBar, nullptr, {271, barTop, 42, 6},  \
   window::kBorder, window::kAnchorTopRight},                                                                                    \
  {window::kFirstCancelButton + n - 1, window::ControlKind::Button, "Cancel", {313, buttonTop, 33, 10}, \
   window::kNoFlags, window::kAnchorTopRight}

#define WINDOW_WORKER_AND_LIST_ROWS                                                                     \
  {window::kRunLog, window::ControlKind::ReadOnlyLog, "", {335, 35, 11, 46}, window::kHidden,    \
   window::kAnchorTopRight},          \
  WINDOW_WORKER_ROW(1, 89, 90, 89), WINDOW_WORKER_ROW(2, 106, 107, 105),                                \
  WINDOW_WORKER_ROW(3, 124, 125, 123), WINDOW_WORKER_ROW(4, 139, 141, 139),                             \
  WINDOW_WORKER_ROW(5, 156, 157, 156),                                                                  \
  {window::kNoId, window::ControlKind::Label,                                                           \
   "D&ownloaded image thumbnails(double click to view large pictures, use mouse wheel to "              \
   "naviage):",                                                                                         \
   {7, 172, 307, 8}},                                                                                   \
  {window::kThumbnailList, window::ControlKind::List, nullptr, {7, 183, 339, 165}, window::kBorder,  \
   window::kAnchorAll},     \
  {window::kPictureCounter, window::ControlKind::Label, "0", {93, 350, 20, 8}, window::kNoFlags, \
   window::kAnchorBottomLeft},                         \
  {window::kCounterLabel, window::ControlKind::Label, "Total downloaded images: ", {7, 350, 86, 8},     \
   window::kNoFlags, window::kAnchorBottomLeft},    \
  {window::kNoScrollCheck, window::ControlKind::CheckBox, "&No scroll", {271, 350, 43, 10},      \
   window::kNoFlags, window::kAnchorBottomRight},            \
  {window::kEnlargeButton, window::ControlKind::Button, "&Up", {318, 348, 29, 14}, window::kNoFlags, \
   window::kAnchorBottomRight},                     \
  {window::kStopButton, window::ControlKind::Button, "&Stop", {81, 362, 50, 14}, window::kNoFlags, \
   window::kAnchorBottomRight},                       \
  {window::kExitButton, window::ControlKind::Button, "E&xit", {198, 362, 50, 14}, window::kNoFlags, \
   window::kAnchorBottomRight}

// Lies over the "&Analyze result:" label, which therefore stays hidden: the
// notice may lie lower than the label's top.
#define WINDOW_SPONSOR_NOTICE                                                                    \
  "Our free tools are sponsored by the below, if you want to pay a visit, can through the " \
  "\nright click popup menu->open in new window."

namespace window {

// The main dialog's id and size in dialog units, the same in every program.
inline constexpr int kMainDialogId = 102;
inline constexpr int kMainDialogWidth = 353;
inline constexpr int kMainDialogHeight = 383;
inline constexpr int kAboutDialogId = 100;

}  // namespace window
