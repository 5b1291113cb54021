// --help, the man page and the bash completion, all from the option table and
// the settings table.
#include <cctype>
#include <sstream>
#include <vector>

#include "console/console_options.h"
#include "console/option_table.h"
#include "engine/settings_table.h"

namespace console {

namespace {

bool Offered(const OptionDef& def, const engine::Program& program) {
  return !def.hidden && (!def.onlyWhereAsked || program.asksToResume);
}

std::string OptionHead(const OptionDef& def) {
  std::string head = def.shortName.empty() ? "    " : "-" + std::string(def.shortName) + ", ";
  head += "--" + std::string(def.longName);
  if (!def.value.empty()) head += " " + std::string(def.value);
  return head;
}

// The words of `text`, filled into lines of at most `width` columns.
std::vector<std::string> Lines(std::string_view text, size_t width) {
  std::vector<std::string> out;
  std::istringstream in{std::string(text)};
  for (std::string word; in >> word;) {
    if (out.empty() || out.back().size() + 1 + word.size() > width)
      out.push_back(word);
    else
      out.back() += " " + word;
  }
  return out;
}

std::string Synopsis(const std::string& command, const engine::Program& program, const ConsoleText& text) {
  std::string s = command + " [OPTION]...";
  if (program.asksToResume) s += " [--continue | --fresh]";
  return s + " " + text.operand;
}

// Roff: a backslash is written \e, a line may not begin with '.' or '\'',
// and option dashes are \- so that they can be searched and copied.
std::string Roff(std::string_view text, bool dashes = false) {
  std::string out;
  for (char c : text) {
    if (c == '\\')
      out += "\\e";
    else if (c == '-' && dashes)
      out += "\\-";
    else
      out += c;
    if ((c == '.' || c == '\'') && (out.size() == 1 || out[out.size() - 2] == '\n')) out.insert(out.size() - 1, "\\&");
  }
  return out;
}

std::string KeyHead(const engine::SettingDef& def, const engine::Program& program) {
  std::string head = "\"" + std::string(def.key) + "\"";
  if (def.type == engine::SettingType::Integer) head += " = " + std::to_string(engine::DefaultOf(def, program));
  return head;
}

}  // namespace

std::string ConsoleUsage(const std::string& command, const engine::Program& program, const ConsoleText& text) {
  std::string out = "Usage: " + Synopsis(command, program, text) + "\n\n" + text.description + "\n";
  for (const OptionDef& def : ConsoleOptionTable()) {
    if (!Offered(def, program)) continue;
    std::string head = "  " + OptionHead(def);
    const auto lines = Lines(def.help, 79 - 24);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (head.size() < 24 && i == 0)
        out += head + std::string(24 - head.size(), ' ') + lines[i] + "\n";
      else {
        if (i == 0) out += head + "\n";
        out += std::string(24, ' ') + lines[i] + "\n";
      }
    }
  }
  out += "\nSettings keys, with their defaults here (the window's Settings sheet\nedits the same store):\n";
  for (const engine::SettingDef& def : engine::SettingsTable()) {
    if (!engine::FindSetting(def.key, program)) continue;
    out += "  " + KeyHead(def, program) + "\n";
    for (const std::string& line : Lines(def.meaning, 79 - 6)) out += "      " + line + "\n";
  }
  out +=
      "\nCtrl-C or SIGTERM stops the run: unfinished files go back to the list and\n"
      "project.cfg is written; a second Ctrl-C leaves at once. project.cfg is also\n"
      "written every few files while the run goes on.\n\nExit status:\n";
  for (const ExitDef& e : ConsoleExitTable()) {
    const auto lines = Lines(e.meaning, 79 - 8);
    for (size_t i = 0; i < lines.size(); ++i)
      out += (i == 0 ? "  " + std::string(e.code < 10 ? " " : "") + std::string(e.code < 100 ? " " : "") +
                           std::to_string(e.code) + "   "
                     : std::string(8, ' ')) +
             lines[i] + "\n";
  }
  return out;
}

std::string ConsoleManPage(const std::string& command, const engine::Program& program, const ConsoleText& text) {
  std::string upper;
  for (char c : command) upper += char(std::toupper(static_cast<unsigned char>(c)));
  std::string out = ".TH " + Roff(upper, true) + " 1 \"\" \"" + program.name + " " + text.version +
                    "\" \"User Commands\"\n.SH NAME\n" + Roff(command, true) + " \\- " + Roff(text.summary) +
                    "\n.SH SYNOPSIS\n" + Roff(Synopsis(command, program, text), true) + "\n.SH DESCRIPTION\n" +
                    Roff(text.description) + "\n.SH OPTIONS\n";
  for (const OptionDef& def : ConsoleOptionTable()) {
    if (!Offered(def, program)) continue;
    out += ".TP\n.B " + Roff(OptionHead(def).substr(def.shortName.empty() ? 4 : 0), true) + "\n" + Roff(def.help) + "\n";
  }
  out += ".SH SETTINGS\nKeys of the settings store, for \\fB\\-\\-set\\fR, with their defaults here.\n";
  for (const engine::SettingDef& def : engine::SettingsTable()) {
    if (!engine::FindSetting(def.key, program)) continue;
    out += ".TP\n" + Roff(KeyHead(def, program)) + "\n" + Roff(def.meaning) + "; read " + Roff(def.readAt) + ".\n";
  }
  out += ".SH EXIT STATUS\n";
  for (const ExitDef& e : ConsoleExitTable()) out += ".TP\n.B " + std::to_string(e.code) + "\n" + Roff(e.meaning) + "\n";
  out += ".SH FILES\n.TP\n~/.config/Ombrel software/" + Roff(program.name) +
         ".conf\nthe settings store, shared with the window program\n.TP\nPROJECT/project.cfg\nthe links of a project "
         "and their states\n.SH SEE ALSO\n" +
         Roff(program.name) + " (the window program), wget(1)\n";
  return out;
}

std::string ConsoleBashCompletion(const std::string& command, const engine::Program& program) {
  std::string options, keys;
  for (const OptionDef& def : ConsoleOptionTable()) {
    if (!Offered(def, program)) continue;
    if (!def.shortName.empty()) options += " -" + std::string(def.shortName);
    options += " --" + std::string(def.longName);
  }
  for (const engine::SettingDef& def : engine::SettingsTable())
    if (engine::FindSetting(def.key, program)) keys += "    '" + std::string(def.key) + "='\n";
  std::string name;
  for (char c : command) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return "# bash completion for " + command + "; generated by " + command + " --bash-completion\n_" + name +
         "() {\n"
         "  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
         "  case $prev in\n"
         "  --folder) compopt -o dirnames 2>/dev/null; COMPREPLY=(); return ;;\n"
         "  -o|--output-file) compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
         "  --set)\n"
         "    local keys=(\n" + keys + "    ) k\n"
         "    local typed=${cur#[\\\"\\']}\n"
         "    typed=${typed//\\\\ / }\n"
         "    COMPREPLY=()\n"
         "    for k in \"${keys[@]}\"; do\n"
         "      [[ $k == \"$typed\"* ]] && COMPREPLY+=(\"$(printf '%q' \"$k\")\")\n"
         "    done\n"
         "    compopt -o nospace 2>/dev/null\n"
         "    return ;;\n"
         "  esac\n"
         "  if [[ $cur == -* ]]; then\n"
         "    COMPREPLY=($(compgen -W '" + options.substr(1) + "' -- \"$cur\"))\n"
         "  fi\n"
         "}\n"
         "complete -F _" + name + " " + command + "\n";
}

}  // namespace console
