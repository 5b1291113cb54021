#pragma once
// For tests that start a window program as a separate process (a renamed
// executable, a start by xdg-open, an installed copy): the reporting build of
// a window program (reporting_main.cpp, never shipped) takes the engine's
// place with a recorder, and, when the environment names a file in
// PICTURE_FETCHERS_TEST_REPORT, writes what it shows once it is up into that
// file and closes.
namespace window {

class MainDialog;

inline constexpr const char* kTestReportVariable = "PICTURE_FETCHERS_TEST_REPORT";

void InstallTestReport(MainDialog& dialog);

}  // namespace window
