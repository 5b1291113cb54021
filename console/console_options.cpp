#include "console/console_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "engine/settings_table.h"

namespace shell {

namespace {

using engine::ProgramKind;

bool IsInt32(const std::string& text) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0' && v >= INT_MIN && v <= INT_MAX;
}

std::string KeyList(ProgramKind kind) {
  std::string out;
  for (const engine::SettingDef& def : engine::SettingsTable()) {
    if (!engine::FindSetting(def.key, kind)) continue;
    std::string head = "  \"" + std::string(def.key) + "\"";
    if (def.type == engine::SettingType::Integer) head += " = " + std::to_string(engine::DefaultOf(def, kind));
    out += head + "\n      " + std::string(def.meaning) + "\n";
  }
  return out;
}

}  // namespace

ParseResult ParseConsoleOptions(const std::vector<std::string>& args, ProgramKind kind) {
  const bool quorvash = kind == ProgramKind::Quorvash;
  ConsoleOptions o;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](const std::string& name) -> std::optional<std::string> {
      if (a.rfind(name + "=", 0) == 0) return a.substr(name.size() + 1);
      if (a == name && i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--") {
      rest.insert(rest.end(), args.begin() + long(i) + 1, args.end());
      break;
    } else if (a == "--folder" || a.rfind("--folder=", 0) == 0) {
      auto v = value("--folder");
      if (!v || v->empty()) return {std::nullopt, "--folder needs a folder"};
      o.folder = *v;
    } else if (!quorvash && (a == "--continue" || a == "--fresh")) {
      const ResumeChoice choice = a == "--continue" ? ResumeChoice::Continue : ResumeChoice::Fresh;
      if (o.resume != ResumeChoice::Ask && o.resume != choice)
        return {std::nullopt, "--continue and --fresh exclude each other"};
      o.resume = choice;
    } else if (a == "--save") {
      o.save = true;
    } else if (a == "--stats") {
      o.stats = true;
    } else if (a == "--set" || a.rfind("--set=", 0) == 0) {
      auto v = value("--set");
      if (!v) return {std::nullopt, "--set needs KEY=VALUE"};
      const size_t eq = v->find('=');
      if (eq == std::string::npos) return {std::nullopt, "--set needs KEY=VALUE, got \"" + *v + "\""};
      const std::string key = v->substr(0, eq), val = v->substr(eq + 1);
      const engine::SettingDef* known = engine::FindSetting(key, kind);
      if (!known) return {std::nullopt, "unknown settings key \"" + key + "\""};
      if (known->type == engine::SettingType::Integer && !IsInt32(val))
        return {std::nullopt, "\"" + key + "\" takes an integer, got \"" + val + "\""};
      o.settings.emplace_back(key, val);
    } else if (a.size() > 1 && a[0] == '-') {
      return {std::nullopt, "unknown option " + a};
    } else {
      rest.push_back(a);
    }
  }
  if (o.help) return {o, {}};
  if (o.save && o.settings.empty()) return {std::nullopt, "--save needs at least one --set"};
  if (rest.size() != 1)
    return {std::nullopt, rest.empty() ? std::string(quorvash ? "a keyword or address is needed"
                                                              : "an address is needed")
                                       : "only one address may be given"};
  o.address = rest[0];
  return {o, {}};
}

std::string ConsoleUsage(const std::string& command, ProgramKind kind) {
  const std::string common =
      "  --set KEY=VALUE   a setting for this run only, e.g. --set \"MaxCount=50\"\n"
      "  --save            also keep the --set values in the settings store\n"
      "  --stats           at the end, count requests, answers given again from\n"
      "                    memory, connections opened and waits, on standard error\n"
      "  --help            this text\n"
      "\n"
      "Settings keys, with their defaults here (the window's Settings sheet\n"
      "edits the same store):\n" +
      KeyList(kind) +
      "\n"
      "Ctrl-C or SIGTERM stops the run: unfinished files go back to the list and\n"
      "project.cfg is written; a second Ctrl-C leaves at once. project.cfg is also\n"
      "written every few files while the run goes on.\n"
      "\n"
      "Exit status: 0 after a run, 2 when the run could not start, 3 when a file\n"
      "or project.cfg could not be written, 64 for usage errors.\n";
  if (kind == ProgramKind::Quorvash) {
    return "Usage: " + command + " [--folder DIR] [--set KEY=VALUE]... [--save] KEYWORD-OR-ADDRESS\n"
           "\n"
           "Searches images for a keyword (or reads a result-page address of the\n"
           "image search) and downloads the full-size pictures with five workers.\n"
           "\n"
           "  --folder DIR      program folder; the project folder DIR/<search host>\n"
           "                    is cleared into the trash and filled anew\n" +
           common +
           "\n"
           "The suggested keyword of the service is offered on a terminal (No otherwise).\n";
  }
  return "Usage: " + command + " [--folder DIR] [--continue | --fresh] [--set KEY=VALUE]... [--save] ADDRESS\n"
         "\n"
         "Crawls the web site at ADDRESS (http:// or https://) with five workers and\n"
         "stores every picture its pages show, also pictures on other hosts, in the\n"
         "project folder DIR/<host>. .zip/.rar links are taken first too, but with\n"
         "\"image\" = 1 only bodies the server calls image/* are stored; --set image=0\n"
         "stores archives and every other file that is not a text page.\n"
         "\n"
         "  --folder DIR      program folder below which project folders are made\n"
         "  --continue        continue the previous download of this host\n"
         "  --fresh           start afresh: the project folder is cleared into the trash\n"
         "                    (without either, the question is asked on a terminal and\n"
         "                    answered No otherwise)\n" +
         common;
}

}  // namespace shell
