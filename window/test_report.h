#pragma once
// For tests that start a window program as a separate process (a renamed
// executable, a start by xdg-open, an installed copy): when the environment
// names a file in PICTURE_FETCHERS_TEST_REPORT, the program writes what it
// shows once it is up into that file and closes. Nothing happens otherwise.
namespace shell {

class MainDialog;

inline constexpr const char* kTestReportVariable = "PICTURE_FETCHERS_TEST_REPORT";

void InstallTestReport(MainDialog& dialog);

}  // namespace shell
