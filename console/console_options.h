#pragma once
// The command line of the console front ends.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/program.h"

namespace console {

// What a program's --help and usage errors say of it; each program writes its
// own beside its engine Program.
struct ConsoleText {
  std::string_view operand;  // "ADDRESS"
  std::string_view missing;  // when no operand is given
  std::string_view about;    // what the program does, and its own options
  std::string_view closing;  // after the shared options and keys
};

enum class ResumeChoice { Ask, Continue, Fresh };

struct ConsoleOptions {
  std::string folder;                                         // --folder
  ResumeChoice resume = ResumeChoice::Ask;                    // --continue / --fresh
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
// integer is an error. --continue and --fresh are options of a program that
// asks to resume.
ParseResult ParseConsoleOptions(const std::vector<std::string>& args, const engine::Program& program,
                                const ConsoleText& text);
std::string ConsoleUsage(const std::string& command, const engine::Program& program, const ConsoleText& text);

}  // namespace console
