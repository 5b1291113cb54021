// quorvash-cli: downloads the pictures an image search finds, in a terminal.
#include "console/console_main.h"
#include "quorvash/quorvash_program.h"

int main(int argc, char** argv) {
  const console::ConsoleText text{
      "2.0", "KEYWORD-OR-ADDRESS", "a keyword or address is needed", "store the full-size pictures an image search finds",
      "Searches images for a keyword (or reads a result-page address of the\n"
      "image search) and downloads the full-size pictures with five workers\n"
      "into the project folder DIR/<search host>. That folder is cleared into\n"
      "the trash at every search, and one line on standard error says how many\n"
      "entries went there. The suggested keyword of the service is offered on a\n"
      "terminal (No otherwise).\n"};
  return console::RunConsole(quorvash::QuorvashProgram(), text, argc, argv);
}
