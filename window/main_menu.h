#pragma once
// Menu 129 of the main dialog. Every entry carries its command id.
#include "engine/program.h"

class QAction;
class QMenuBar;
class QWidget;

namespace shell {

// Fills `bar` with the menu as it is stored, then deletes the entries of the
// "S&etting" menu that `kind` does not have.
void BuildMainMenu(QMenuBar* bar, engine::ProgramKind kind);

// The command id of a menu entry, or 0 for none.
int CommandIdOf(const QAction* action);

// The entry with `command` below `root`, or null.
QAction* FindCommand(const QWidget* root, int command);

}  // namespace shell
