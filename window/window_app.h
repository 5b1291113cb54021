#pragma once
// Start-up of a window program: the application object, the store's names,
// the main dialog run modally; the program ends when the dialog closes.
#include <functional>

#include "window/window_program.h"

namespace window {

inline constexpr const char* kOrganisation = "Ombrel software";

// The program's name: its executable's file name, so that a renamed copy
// keeps settings of its own.
QString ProgramNameOf(const QString& executablePath);

class MainDialog;

// `beforeRun`, when given, sees the dialog once it is built, before it runs:
// the tests' reporting programs take the engine's place there.
int RunWindowProgram(int argc, char** argv, const WindowProgram& program,
                     const std::function<void(MainDialog&)>& beforeRun = {});

}  // namespace window
