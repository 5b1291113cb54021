#pragma once
// The user's help: HTML pages beside the programs (build/bin/help) or where
// an installation puts them (<prefix>/share/picture-fetchers/help).
#include <QString>

#include "window/window_program.h"

namespace window {

// The start page of `program`'s help (<name>.html) below the folder
// `programDir`, or empty when it is not there.
QString HelpStartPage(const WindowProgram& program, const QString& programDir);

// Opens the start page in the desktop's web browser; does nothing when the
// pages are missing.
void OpenHelp(const WindowProgram& program);

}  // namespace window
