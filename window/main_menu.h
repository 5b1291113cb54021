#pragma once
// The main dialog's menu. Every entry carries its command id.
#include <vector>

class QAction;
class QMenuBar;
class QWidget;

namespace window {

// Fills `bar` with the whole menu, then deletes the entries of the
// "S&etting" menu at `settingDeletes`, in that order.
void BuildMainMenu(QMenuBar* bar, const std::vector<int>& settingDeletes);

// The command id of a menu entry, or 0 for none.
int CommandIdOf(const QAction* action);

// The entry with `command` below `root`, or null.
QAction* FindCommand(const QWidget* root, int command);

}  // namespace window
