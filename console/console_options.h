#pragma once
// The command line of the console front ends. One table of options, with the
// settings table, makes --help, the man page and the bash completion, so the
// three cannot drift apart.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/program.h"

namespace console {

enum class ResumeChoice { Ask, Continue, Fresh };

// What only one program's console says: its operand and what it does.
struct ConsoleText {
  std::string version;      // as the About box says it: "1.0"
  std::string operand;      // "ADDRESS"
  std::string missing;      // the usage error when no operand is given
  std::string summary;      // one line, for the man page's NAME
  std::string description;  // paragraphs, lines of at most 76 columns
};

struct ConsoleOptions {
  std::string folder;                                         // --folder
  ResumeChoice resume = ResumeChoice::Ask;                    // --continue / --fresh
  std::vector<std::pair<std::string, std::string>> settings;  // --set KEY=VALUE, checked
  bool save = false;                                          // --save: keep the --set values
  bool stats = false;                                         // --stats: where the run's time went
  bool quiet = false;                                         // -q: errors only
  bool verbose = false;                                       // -v: every link found
  std::string logFile;                                        // -o FILE
  std::string address;                                        // ADDRESS or KEYWORD-OR-ADDRESS
  bool help = false;
  bool version = false;
  bool manPage = false;         // hidden: the man page, for the build
  bool bashCompletion = false;  // hidden: the completion script, for the build
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
std::string ConsoleManPage(const std::string& command, const engine::Program& program, const ConsoleText& text);
std::string ConsoleBashCompletion(const std::string& command, const engine::Program& program);

}  // namespace console
