#pragma once
// The command line of the console front ends.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/program.h"

namespace shell {

enum class ResumeChoice { Ask, Continue, Fresh };

struct ConsoleOptions {
  std::string folder;                                         // --folder
  ResumeChoice resume = ResumeChoice::Ask;                    // --continue / --fresh (Tarvelin)
  std::vector<std::pair<std::string, std::string>> settings;  // --set KEY=VALUE, checked
  bool save = false;                                          // --save: keep the --set values
  bool stats = false;                                         // --stats: where the run's time went
  std::string address;                                        // ADDRESS or KEYWORD-OR-ADDRESS
  bool help = false;
};

struct ParseResult {
  std::optional<ConsoleOptions> options;
  std::string error;  // one line, set when options is empty
};

// Checks every --set before anything is written: an unknown key or a bad
// integer is an error.
ParseResult ParseConsoleOptions(const std::vector<std::string>& args, engine::ProgramKind kind);
std::string ConsoleUsage(const std::string& command, engine::ProgramKind kind);

}  // namespace shell
