#pragma once
// What a window program brings to the shared window beyond its engine
// Program. Each program builds one in its own folder, beside its Program;
// the shared window reads its fields and never asks which program it is.
#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/program.h"
#include "platform/settings_store.h"
#include "window/dialog_template.h"

namespace window {

enum class PageKind { DownloadRange, FileSize, DirectoryLevel, BrowserButton, Status };

struct WindowProgram {
  const engine::Program* engine = nullptr;  // its name is the windows' caption
  DialogTemplate mainTemplate;
  DialogTemplate aboutTemplate;
  // Positions in the "S&etting" menu that this program does not have,
  // deleted in this order.
  std::vector<int> settingMenuDeletes;
  // The Settings sheet's pages, in tab order.
  std::vector<PageKind> settingsPages;
  // The status text of the web browser's button.
  QString browserButtonStatus;
  // The "history" a clean store reads as: the address field's first text.
  std::function<std::string(const platform::SettingsStore&)> defaultHistory;
  // An address the web browser handed over, when the program takes it.
  std::function<std::optional<std::string>(const std::string& address,
                                           const platform::SettingsStore& store)>
      takeBrowserAddress;

  // Captions and message boxes.
  QString Title() const { return QString::fromStdString(engine->name); }
  QString UrlScheme() const { return QString::fromStdString(engine->urlScheme); }
};

}  // namespace window
