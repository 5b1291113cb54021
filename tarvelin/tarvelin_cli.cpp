// tarvelin-cli: crawls a web site and stores its pictures, in a terminal.
#include "shell/console_main.h"
#include "tarvelin/page_scanner.h"

int main(int argc, char** argv) {
  static tarvelin::PageScanner scanner;
  engine::Program program;
  program.kind = engine::ProgramKind::Tarvelin;
  program.name = "Tarvelin";
  program.pageHandler = &scanner;
  return shell::RunConsole(program, argc, argv);
}
