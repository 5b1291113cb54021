#include "window/dialog_template.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

namespace window {

namespace {

const char* const kIdProperty = "controlId";
const char* const kHiddenProperty = "hiddenByTemplate";
const char* const kNominalProperty = "nominalRect";
const char* const kAnchorsProperty = "anchors";
const char* const kNominalSizeProperty = "nominalSize";

// One edge pair of a control: where it lies at the nominal size, moved by
// `grown` pixels of window.
void Anchored(int& start, int& length, bool toStart, bool toEnd, int grown) {
  if (toStart && toEnd)
    length = std::max(0, length + grown);
  else if (toEnd)
    start += grown;
}

QWidget* MakeControl(const ControlTemplate& control, QWidget* parent) {
  const QString text = QString::fromUtf8(control.text ? control.text : "");
  switch (control.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(text, parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(control.flags & kWordWrap);
      return label;
    }
    case ControlKind::Edit: {
      auto* edit = new QLineEdit(text, parent);
      edit->setReadOnly(control.flags & kReadOnly);
      return edit;
    }
    case ControlKind::ReadOnlyLog: {
      auto* log = new QPlainTextEdit(text, parent);
      log->setReadOnly(true);
      // Nothing to undo in a log: undo records would copy every line again.
      log->setUndoRedoEnabled(false);
      log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
      return log;
    }
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
      auto* button = new QPushButton(text, parent);
      button->setDefault(control.kind == ControlKind::DefaultButton);
      return button;
    }
    case ControlKind::CheckBox:
      return new QCheckBox(text, parent);
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      return combo;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(text, parent);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      bar->setRange(0, 100);
      bar->setValue(0);
      return bar;
    }
    case ControlKind::List: {
      auto* list = new QListView(parent);
      list->setFrameShape(QFrame::StyledPanel);
      return list;
    }
    case ControlKind::Placeholder: {
      auto* frame = new QFrame(parent);
      frame->setFrameShape(QFrame::StyledPanel);
      frame->setFrameShadow(QFrame::Sunken);
      return frame;
    }
    case ControlKind::Icon: {
      auto* icon = new QLabel(parent);
      icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
      return icon;
    }
  }
  return new QWidget(parent);
}

bool TakesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit: case ControlKind::ReadOnlyLog: case ControlKind::Button:
    case ControlKind::DefaultButton: case ControlKind::CheckBox: case ControlKind::ComboBox:
    case ControlKind::List:
      return true;
    default:
      return false;
  }
}

QRect PixelRect(const ControlTemplate& control, QWidget* widget, BaseUnits units) {
  QRect rect = DluToPixels(control.rect, units);
  // A combo box's template height includes its drop-down list; an icon
  // takes the size of the icon.
  if (control.kind == ControlKind::ComboBox)
    rect.setHeight(std::min(rect.height(), widget->sizeHint().height()));
  if (control.kind == ControlKind::Icon) rect.setSize(QSize(32, 32));
  // The desktop's check mark and font can be wider than the layout allows for.
  if (control.flags & kFitText) rect.setWidth(std::max(rect.width(), widget->sizeHint().width()));
  return rect;
}

}  // namespace

QSize TemplateSize(const DialogTemplate& dialog, BaseUnits units) {
  return QSize(DluToPixelsX(dialog.width, units), DluToPixelsY(dialog.height, units));
}

void BuildControls(QWidget* parent, const DialogTemplate& dialog, BaseUnits units) {
  parent->setFixedSize(TemplateSize(dialog, units));
  std::vector<QWidget*> made;
  for (const ControlTemplate& control : dialog.controls) {
    QWidget* widget = MakeControl(control, parent);
    widget->setProperty(kIdProperty, control.id);
    if (control.id != kNoId) widget->setObjectName(QStringLiteral("id%1").arg(control.id));
    widget->setGeometry(PixelRect(control, widget, units));
    widget->setProperty(kNominalProperty, widget->geometry());
    widget->setProperty(kAnchorsProperty, control.anchors);
    if (control.flags & kHidden) {
      widget->hide();
      widget->setProperty(kHiddenProperty, true);
    }
    made.push_back(widget);
  }
  // A control widened to fit its text widens the window with it.
  int width = parent->width();
  for (size_t i = 0; i < made.size(); ++i)
    if (dialog.controls[i].flags & kFitText)
      width = std::max(width, made[i]->geometry().right() + 1 + DluToPixelsX(7, units));
  parent->setFixedWidth(width);
  parent->setProperty(kNominalSizeProperty, parent->size());
  // A mnemonic on a label moves the focus to the next control that takes it.
  for (size_t i = 0; i < dialog.controls.size(); ++i) {
    const ControlTemplate& control = dialog.controls[i];
    auto* label = qobject_cast<QLabel*>(made[i]);
    if (control.kind != ControlKind::Label || !label || !QString(control.text).contains('&')) continue;
    for (size_t j = i + 1; j < dialog.controls.size(); ++j) {
      if (TakesFocus(dialog.controls[j].kind) && !(dialog.controls[j].flags & kHidden)) {
        label->setBuddy(made[j]);
        break;
      }
    }
  }
}

QSize NominalSize(const QWidget* parent) { return parent->property(kNominalSizeProperty).toSize(); }

void ApplyAnchors(QWidget* parent) {
  const QSize nominal = NominalSize(parent);
  if (!nominal.isValid()) return;
  const int grownX = parent->width() - nominal.width();
  const int grownY = parent->height() - nominal.height();
  for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QVariant place = child->property(kNominalProperty);
    if (!place.isValid()) continue;
    const unsigned anchors = child->property(kAnchorsProperty).toUInt();
    QRect rect = place.toRect();
    int x = rect.x(), y = rect.y(), width = rect.width(), height = rect.height();
    Anchored(x, width, anchors & kAnchorLeft, anchors & kAnchorRight, grownX);
    Anchored(y, height, anchors & kAnchorTop, anchors & kAnchorBottom, grownY);
    child->setGeometry(x, y, width, height);
  }
}

QWidget* FindControl(const QWidget* root, int id) {
  if (!root || id == kNoId) return nullptr;
  const auto children = root->findChildren<QWidget*>();
  for (QWidget* child : children)
    if (ControlIdOf(child) == id) return child;
  return nullptr;
}

bool HiddenByTemplate(const QWidget* control) { return control->property(kHiddenProperty).toBool(); }

int ControlIdOf(const QWidget* control) {
  const QVariant id = control->property(kIdProperty);
  return id.isValid() ? id.toInt() : kNoId;
}

bool ReplaceControl(QWidget* root, int id, QWidget* replacement) {
  QWidget* old = FindControl(root, id);
  if (!old || !replacement || old == replacement) return false;
  QWidget* parent = old->parentWidget();
  replacement->setParent(parent);
  replacement->setGeometry(old->geometry());
  replacement->setProperty(kIdProperty, id);
  for (const char* name : {kNominalProperty, kAnchorsProperty})
    replacement->setProperty(name, old->property(name));
  replacement->setObjectName(QStringLiteral("id%1").arg(id));
  replacement->stackUnder(old);
  replacement->setVisible(!old->isHidden());
  for (QLabel* label : root->findChildren<QLabel*>())
    if (label->buddy() == old) label->setBuddy(replacement);
  QWidget::setTabOrder(old, replacement);
  delete old;
  return true;
}

}  // namespace window
