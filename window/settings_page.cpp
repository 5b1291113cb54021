#include "window/settings_page.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>

#include "window/dialog_integer.h"

namespace window {

SettingsPage::SettingsPage(const DialogTemplate& layout, const PageContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_caption(QString::fromUtf8(layout.caption)) {
  BuildControls(this, layout, DialogBaseUnits());
}

int32_t SettingsPage::ReadInt(engine::IntKey key) const {
  return engine::Read(m_context.store, *m_context.program->engine, key);
}

void SettingsPage::WriteInt(engine::IntKey key, int32_t value) const {
  // A page writes only keys its program has.
  Q_ASSERT(engine::FindSetting(key.name, *m_context.program->engine));
  engine::Write(m_context.store, key, value);
}

void SettingsPage::ShowInt(int id, int32_t value) {
  if (auto* edit = FindControl<QLineEdit>(this, id)) edit->setText(QString::number(value));
}

bool SettingsPage::TakeInt(int id, int32_t& field) {
  auto* edit = FindControl<QLineEdit>(this, id);
  if (!edit) return false;
  if (const std::optional<int32_t> value = ParseDialogInt(edit->text())) {
    field = *value;
    return true;
  }
  QMessageBox::warning(this, m_context.program->Title(), QStringLiteral("Please enter an integer."));
  edit->setFocus(Qt::OtherFocusReason);
  edit->selectAll();
  return false;
}

void SettingsPage::ShowCheck(int id, int32_t value) {
  if (auto* check = FindControl<QCheckBox>(this, id)) check->setChecked(value != 0);
}

int32_t SettingsPage::TakeCheck(int id) const {
  auto* check = FindControl<QCheckBox>(this, id);
  return check && check->isChecked() ? 1 : 0;
}

void SettingsPage::ModifiedOnEdit(int id) {
  if (auto* edit = FindControl<QLineEdit>(this, id))
    connect(edit, &QLineEdit::textEdited, this, &SettingsPage::modified);
}

void SettingsPage::ModifiedOnClick(int id) {
  if (auto* button = FindControl<QAbstractButton>(this, id))
    connect(button, &QAbstractButton::clicked, this, &SettingsPage::modified);
}

}  // namespace window
