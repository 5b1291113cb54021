#include "window/main_menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "window/control_ids.h"

namespace window {

namespace {

const char* const kCommandProperty = "commandId";
constexpr int kSeparator = 0;

struct MenuEntry {
  const char* menu;
  const char* text;
  int command;
};

const MenuEntry kMenu[] = {
    {"&File", "E&xit", kCmdExit},
    {"S&etting", "&Download range...", kCmdDownloadRange},
    {"S&etting", "&File formats...", kCmdFileFormats},
    {"S&etting", "File &size...", kCmdFileSize},
    {"S&etting", "Directory &level...", kCmdDirectoryLevel},
    {"S&etting", "Enable the web browser button...", kCmdBrowserButton},
    {"S&etting", "S&tatus...", kCmdStatus},
    {"&Tools", "&Open Picture gallery", kCmdOpenGallery},
    {"&Help", "&Contents...", kCmdHelpContents},
    {"&Help", nullptr, kSeparator},
    {"&Help", "&About...", kCmdAbout},
};

void DeleteAt(QMenu* menu, int position) {
  const auto actions = menu->actions();
  if (position < 0 || position >= actions.size()) return;
  QAction* action = actions[position];
  menu->removeAction(action);
  delete action;
}

}  // namespace

void BuildMainMenu(QMenuBar* bar, const std::vector<int>& settingDeletes) {
  QMenu* current = nullptr;
  QString currentTitle;
  QMenu* settingMenu = nullptr;
  for (const MenuEntry& entry : kMenu) {
    const QString title = QString::fromUtf8(entry.menu);
    if (!current || title != currentTitle) {
      current = bar->addMenu(title);
      currentTitle = title;
      if (title == QLatin1String("S&etting")) settingMenu = current;
    }
    QAction* action = entry.command == kSeparator ? current->addSeparator()
                                                  : current->addAction(QString::fromUtf8(entry.text));
    action->setProperty(kCommandProperty, entry.command);
  }
  if (!settingMenu) return;
  for (int position : settingDeletes) DeleteAt(settingMenu, position);
}

int CommandIdOf(const QAction* action) {
  return action ? action->property(kCommandProperty).toInt() : 0;
}

QAction* FindCommand(const QWidget* root, int command) {
  if (!root || command == kSeparator) return nullptr;
  for (QAction* action : root->findChildren<QAction*>())
    if (CommandIdOf(action) == command) return action;
  return nullptr;
}

}  // namespace window
