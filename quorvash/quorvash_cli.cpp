// quorvash-cli: downloads the pictures an image search finds, in a terminal.
#include "quorvash/result_page.h"
#include "quorvash/search_address.h"
#include "shell/console_main.h"

int main(int argc, char** argv) {
  static quorvash::ResultPageReader reader;
  engine::Program program;
  program.kind = engine::ProgramKind::Quorvash;
  program.name = "Quorvash";
  program.pageHandler = &reader;
  program.prepareAddress = quorvash::PrepareSearchAddress;
  return shell::RunConsole(program, argc, argv);
}
