// tarvelin-cli: crawls a web site and stores its pictures, in a terminal.
#include "console/console_main.h"
#include "tarvelin/tarvelin_program.h"

int main(int argc, char** argv) {
  const console::ConsoleText text{
      "1.0", "ADDRESS", "an address is needed", "store every picture of a web site",
      "Crawls the web site at ADDRESS (http:// or https://; a bare host name is\n"
      "read as http://) with five workers and stores every picture its pages\n"
      "show, also pictures on other hosts, in the project folder DIR/HOST\n"
      "(DIR/HOST_PORT for a port that is not the scheme's own). .zip/.rar links\n"
      "are taken first too, but with \"image\" = 1 only bodies the server calls\n"
      "image/* are stored; --set image=0 stores archives and every other file\n"
      "that is not a text page.\n"};
  return console::RunConsole(tarvelin::TarvelinProgram(), text, argc, argv);
}
