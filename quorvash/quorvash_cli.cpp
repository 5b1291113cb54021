// quorvash-cli: downloads the pictures an image search finds, in a terminal.
#include "console_main.h"
#include "result_page.h"
#include "search_address.h"

int main(int argc, char** argv) {
  static quorvash::ResultPageReader reader;
  Program program;
  program.kind = ProgramKind::Quorvash;
  program.name = "Quorvash";
  program.pageHandler = &reader;
  program.prepareAddress = quorvash::PrepareSearchAddress;
  return RunConsole(program, argc, argv);
}
