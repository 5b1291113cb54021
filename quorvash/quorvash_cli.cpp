// quorvash-cli: downloads the pictures an image search finds, in a terminal.
#include "quorvash/quorvash_program.h"
#include "console/console_main.h"

int main(int argc, char** argv) { return shell::RunConsole(quorvash::QuorvashProgram(), argc, argv); }
