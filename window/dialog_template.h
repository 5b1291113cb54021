#pragma once
// Windows described as data: a table of controls with their ids, kinds,
// texts and rectangles in dialog units, and the builder that makes the Qt
// widgets. Every control built here can be found again by its id.
#include <QRect>
#include <QString>
#include <span>

#include "window/dialog_units.h"

class QWidget;

namespace window {

// A control without an id of its own (a plain label, a group box).
inline constexpr int kNoId = -1;

enum class ControlKind {
  Label,
  Edit,             // one line
  ReadOnlyLog,      // multi-line, read-only, vertical scroll bar
  Button,
  DefaultButton,
  CheckBox,
  ComboBox,         // with an edit part
  GroupBox,
  ProgressBar,
  List,             // a list view; stands in until the real list replaces it
  Placeholder,      // an empty framed panel that another widget replaces
  Icon,             // the program's icon
};

// Style flags of a control.
enum ControlFlag : unsigned {
  kNoFlags = 0,
  kHidden = 1u << 0,
  kBorder = 1u << 1,
  kWordWrap = 1u << 2,  // a label whose lines the window breaks itself
  kReadOnly = 1u << 3,  // an edit the user can select and copy from, not change
  kFitText = 1u << 4,   // a check box that widens to show its whole text
};

// The sides of its window whose distance a control keeps when the window
// is resized. Anchored to two opposite sides, it grows with the window; to
// one, it moves with that side.
enum Anchor : unsigned {
  kAnchorLeft = 1u << 0,
  kAnchorTop = 1u << 1,
  kAnchorRight = 1u << 2,
  kAnchorBottom = 1u << 3,
  kAnchorTopLeft = kAnchorLeft | kAnchorTop,
  kAnchorTopRight = kAnchorRight | kAnchorTop,
  kAnchorBottomLeft = kAnchorLeft | kAnchorBottom,
  kAnchorBottomRight = kAnchorRight | kAnchorBottom,
  kAnchorTopWide = kAnchorLeft | kAnchorRight | kAnchorTop,
  kAnchorAll = kAnchorLeft | kAnchorRight | kAnchorTop | kAnchorBottom,
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char* text;  // "\n" breaks a label's lines; "&" marks a mnemonic
  QRect rect;        // left, top, width, height in dialog units
  unsigned flags = kNoFlags;
  unsigned anchors = kAnchorTopLeft;
};

struct DialogTemplate {
  int id;
  const char* caption;
  int width;  // dialog units
  int height;
  std::span<const ControlTemplate> controls;
};

// Makes the controls of `dialog` as children of `parent`, in table order (so
// later controls lie above earlier ones), and sizes `parent` to the template.
// Labels with a mnemonic get the next focusable control as their buddy.
void BuildControls(QWidget* parent, const DialogTemplate& dialog, BaseUnits units);

// Places the controls BuildControls made in `parent` for the size `parent`
// has now, by their anchors; at the size BuildControls gave it they lie
// where the template puts them.
void ApplyAnchors(QWidget* parent);

// The size BuildControls gave `parent`.
QSize NominalSize(const QWidget* parent);

// The size of a template in pixels.
QSize TemplateSize(const DialogTemplate& dialog, BaseUnits units);

// The control with `id` among the descendants of `root`, or null.
QWidget* FindControl(const QWidget* root, int id);

template <typename T>
T* FindControl(const QWidget* root, int id) {
  return qobject_cast<T*>(FindControl(root, id));
}

// Whether the template made the control hidden.
bool HiddenByTemplate(const QWidget* control);

// The id a control was built with, or kNoId.
int ControlIdOf(const QWidget* control);

// Puts `replacement` where the control `id` was: same parent, geometry,
// stacking place, visibility and id. The old control is deleted. Returns
// false (and leaves `replacement` alone) when there is no such control.
bool ReplaceControl(QWidget* root, int id, QWidget* replacement);

}  // namespace window
