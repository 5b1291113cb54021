#pragma once
// The console's options and exit codes, as one table that --help, the man
// page and the bash completion all read.
#include <span>
#include <string_view>

namespace console {

struct OptionDef {
  std::string_view shortName;  // "q", or empty
  std::string_view longName;   // "quiet"
  std::string_view value;      // "FILE", or empty for a switch
  std::string_view help;       // may hold "\n" between lines
  bool onlyWhereAsked = false; // only for a program that offers to continue a project
  bool hidden = false;         // for the build, not for users
};

struct ExitDef {
  int code;
  std::string_view meaning;
};

std::span<const OptionDef> ConsoleOptionTable();
std::span<const ExitDef> ConsoleExitTable();

}  // namespace console
