#include "window/settings_page.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>

#include "engine/settings_table.h"
#include "window/dialog_integer.h"
#include "window/window_program.h"

namespace shell {

SettingsPage::SettingsPage(const DialogTemplate& layout, const PageContext& context, QWidget* parent)
    : QWidget(parent), m_context(context), m_caption(QString::fromUtf8(layout.caption)) {
  BuildControls(this, layout, DialogBaseUnits());
}

int32_t SettingsPage::ReadInt(std::string_view key) const {
  return engine::ReadTableInt(m_context.store, key, m_context.kind);
}

void SettingsPage::WriteInt(std::string_view key, int32_t value) const {
  // Only keys of the table are ever written.
  const engine::SettingDef* def = engine::FindSetting(key, m_context.kind);
  Q_ASSERT(def && def->type == engine::SettingType::Integer);
  if (!def) return;
  m_context.store.WriteSettingInt(platform::kSettingsSection, std::string(def->key), value);
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
  QMessageBox::warning(this, ProgramTitle(m_context.kind), QStringLiteral("Please enter an integer."));
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

}  // namespace shell
