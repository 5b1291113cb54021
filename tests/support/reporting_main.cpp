// A window program built with the test report: what the window tests start
// as a separate process. WINDOW_PROGRAM_HEADER and WINDOW_PROGRAM name the
// program's own window value.
#include WINDOW_PROGRAM_HEADER
#include "support/test_report.h"
#include "window/window_app.h"

int main(int argc, char** argv) {
  return window::RunWindowProgram(argc, argv, WINDOW_PROGRAM(), window::InstallTestReport);
}
