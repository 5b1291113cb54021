#pragma once
// A page of the Settings sheet: built from its template, loaded from the
// store when the sheet first shows it, checked when the user leaves it, and
// written to the store on OK or Apply.
#include <QString>
#include <QWidget>
#include <cstdint>

#include "engine/settings_table.h"
#include "platform/settings_store.h"
#include "window/dialog_template.h"
#include "window/window_program.h"

namespace window {

// What every page may need.
struct PageContext {
  const WindowProgram* program = nullptr;
  platform::SettingsStore store{""};
  QString executablePath;  // the running program, for the browser button
};

class SettingsPage : public QWidget {
  Q_OBJECT

 public:
  SettingsPage(const DialogTemplate& layout, const PageContext& context, QWidget* parent);

  QString Caption() const { return m_caption; }

  // Reads the store into the controls.
  virtual void Load() = 0;
  // Takes the controls into the page's fields. On a bad value it tells the
  // user, selects the field and returns false.
  virtual bool Save() = 0;
  // Writes the fields into the store.
  virtual void Apply() = 0;

 Q_SIGNALS:
  void modified();

 protected:
  const PageContext& Context() const { return m_context; }
  int32_t ReadInt(engine::IntKey key) const;
  void WriteInt(engine::IntKey key, int32_t value) const;

  void ShowInt(int id, int32_t value);
  bool TakeInt(int id, int32_t& field);
  void ShowCheck(int id, int32_t value);
  int32_t TakeCheck(int id) const;

  // Editing the text of, or clicking, control `id` marks the page modified.
  void ModifiedOnEdit(int id);
  void ModifiedOnClick(int id);

 private:
  PageContext m_context;
  QString m_caption;
};

}  // namespace window
