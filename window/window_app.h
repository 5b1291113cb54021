#pragma once
// Start-up of a window program: the application object, the store's names,
// the main dialog run modally; the program ends when the dialog closes.
#include "window/window_program.h"

namespace shell {

inline constexpr const char* kOrganisation = "Ombrel software";

// The program's name: its executable's file name, so that a renamed copy
// keeps settings of its own.
QString ProgramNameOf(const QString& executablePath);

int RunWindowProgram(int argc, char** argv, const WindowProgram& program);

}  // namespace shell
