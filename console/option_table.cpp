#include "console/option_table.h"

#include <array>

#include "console/console_main.h"

namespace console {

namespace {

constexpr std::array<OptionDef, 13> kOptions = {{
    {"", "folder", "DIR",
     "program folder below which project folders are made; without it, the\n"
     "\"folder\" setting, else $XDG_PICTURES_DIR/<program> (~/Pictures/<program>)"},
    {"", "continue", "", "continue the previous download of this address", true},
    {"", "fresh", "",
     "start afresh: the project folder is cleared into the trash.\n"
     "Without either, the question is asked on a terminal; otherwise an\n"
     "existing project is left untouched and the exit status is 2",
     true},
    {"", "set", "KEY=VALUE",
     "a setting for this run only, e.g. --set \"MaxCount=50\"; the settings\n"
     "store is not changed"},
    {"", "save", "", "also keep the --set values in the settings store (the window's\nSettings sheet shows them)"},
    {"", "stats", "",
     "at the end, count requests, answers given again from memory,\n"
     "connections opened and waits, on standard error"},
    {"q", "quiet", "", "print errors only"},
    {"v", "verbose", "", "log every newly found link (the \"show link\" setting)"},
    {"o", "output-file", "FILE", "write the log to FILE instead of standard output"},
    {"h", "help", "", "this text"},
    {"", "version", "", "the version"},
    {"", "man-page", "", "", false, true},
    {"", "bash-completion", "", "", false, true},
}};

constexpr std::array<ExitDef, 7> kExits = {{
    {kExitOk, "the run ended (pictures or not)"},
    {kExitStartFailed,
     "the run could not start: no usable address, a project.cfg that is no\n"
     "project file, or an existing project without --continue or --fresh\n"
     "when standard input is no terminal"},
    {kExitNotStored, "a file or project.cfg could not be written (a full or read-only disk);\nthose files stay to fetch"},
    {kExitUnreachable, "the start address could not be reached (name, connection, TLS)"},
    {kExitErrorAnswer, "the server answered the start address with an error"},
    {kExitUsage, "a usage error"},
    {kExitStopped, "stopped by Ctrl-C or SIGTERM, after project.cfg was written"},
}};

}  // namespace

std::span<const OptionDef> ConsoleOptionTable() { return kOptions; }
std::span<const ExitDef> ConsoleExitTable() { return kExits; }

}  // namespace console
