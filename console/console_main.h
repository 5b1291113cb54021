#pragma once
// The whole console front end, shared by tarvelin-cli and quorvash-cli.
#include "engine/program.h"

namespace shell {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitStartFailed = 2;
inline constexpr int kExitNotStored = 3;
inline constexpr int kExitUsage = 64;

int RunConsole(const engine::Program& program, int argc, char** argv);

}  // namespace shell
