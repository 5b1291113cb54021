// Tarvelin: crawls a web site and stores its pictures.
#include "window/window_app.h"
#include "tarvelin/tarvelin_window_program.h"

int main(int argc, char** argv) {
  return window::RunWindowProgram(argc, argv, tarvelin::TarvelinWindowProgram());
}
