// quorvash-cli: downloads the pictures an image search finds, in a terminal.
#include "shell/console_main.h"
#include "quorvash/result_page.h"
#include "quorvash/search_address.h"

int main(int argc, char** argv) {
  static quorvash::ResultPageReader reader;
  Program program;
  program.kind = ProgramKind::Quorvash;
  program.name = "Quorvash";
  program.pageHandler = &reader;
  program.prepareAddress = quorvash::PrepareSearchAddress;
  return RunConsole(program, argc, argv);
}
