// tarvelin-cli: crawls a web site and stores its pictures, in a terminal.
#include "console/console_main.h"
#include "tarvelin/tarvelin_program.h"

int main(int argc, char** argv) { return shell::RunConsole(tarvelin::TarvelinProgram(), argc, argv); }
