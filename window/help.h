#pragma once
// The user's help: HTML pages beside the programs (build/bin/help) or where
// an installation puts them (<prefix>/share/picture-fetchers/help).
#include <QString>

#include "engine/program.h"

namespace shell {

// The start page of `kind`'s help below the folder `programDir`, or empty
// when it is not there.
QString HelpStartPage(engine::ProgramKind kind, const QString& programDir);

// Opens the start page in the desktop's web browser; does nothing when the
// pages are missing.
void OpenHelp(engine::ProgramKind kind);

}  // namespace shell
