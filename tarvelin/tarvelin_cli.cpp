// tarvelin-cli: crawls a web site and stores its pictures, in a terminal.
#include "shell/console_main.h"
#include "tarvelin/page_scanner.h"

int main(int argc, char** argv) {
  static PageScanner scanner;
  Program program;
  program.kind = ProgramKind::Tarvelin;
  program.name = "Tarvelin";
  program.pageHandler = &scanner;
  return RunConsole(program, argc, argv);
}
