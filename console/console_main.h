#pragma once
// The whole console front end, shared by tarvelin-cli and quorvash-cli.
#include "console/console_options.h"
#include "engine/program.h"

namespace console {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStartFailed = 2;
inline constexpr int kExitNotStored = 3;
inline constexpr int kExitUnreachable = 4;
inline constexpr int kExitErrorAnswer = 8;
inline constexpr int kExitUsage = 64;
inline constexpr int kExitStopped = 130;

int RunConsole(const engine::Program& program, const ConsoleText& text, int argc, char** argv);

}  // namespace console
