// Quorvash: stores the pictures an image search finds for a keyword.
#include "quorvash/quorvash_window_program.h"
#include "window/window_app.h"

int main(int argc, char** argv) {
  return window::RunWindowProgram(argc, argv, quorvash::QuorvashWindowProgram());
}
