// tarvelin-cli: crawls a web site and stores its pictures, in a terminal.
#include "console/console_main.h"
#include "tarvelin/tarvelin_program.h"

namespace {

constexpr console::ConsoleText kText{
    "ADDRESS", "an address is needed",
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
    "                    answered No otherwise)\n",
    ""};

}  // namespace

int main(int argc, char** argv) { return console::RunConsole(tarvelin::TarvelinProgram(), kText, argc, argv); }
