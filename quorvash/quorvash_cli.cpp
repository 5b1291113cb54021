// quorvash-cli: downloads the pictures an image search finds, in a terminal.
#include "console/console_main.h"
#include "quorvash/quorvash_program.h"

namespace {

constexpr console::ConsoleText kText{
    "KEYWORD-OR-ADDRESS", "a keyword or address is needed",
    "\n"
    "Searches images for a keyword (or reads a result-page address of the\n"
    "image search) and downloads the full-size pictures with five workers.\n"
    "\n"
    "  --folder DIR      program folder; the project folder DIR/<search host>\n"
    "                    is cleared into the trash and filled anew\n",
    "\n"
    "The suggested keyword of the service is offered on a terminal (No otherwise).\n"};

}  // namespace

int main(int argc, char** argv) { return console::RunConsole(quorvash::QuorvashProgram(), kText, argc, argv); }
