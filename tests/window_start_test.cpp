// Start-up of the window programs: the command line, the browser's hand-over,
// a renamed executable's own settings, and a start by xdg-open through the
// registered URL scheme.
#include <QTcpServer>
#include <QtTest>

#include "quorvash/quorvash_window_program.h"
#include "platform/browser_button.h"
#include "window/start_up.h"
#include "support/window_test_support.h"
#include "tarvelin/tarvelin_window_program.h"

using namespace window;

namespace {

// The window programs built with the test report.
const QString kTarvelin = QStringLiteral(REPORTING_DIR "/Tarvelin");
const QString kQuorvash = QStringLiteral(REPORTING_DIR "/Quorvash");

std::optional<std::string> BrowserAddress(const WindowProgram& program, const QStringList& arguments) {
  return FindBrowserAddress(program, ReadCommandLine(*program.engine, arguments),
                            platform::SettingsStore("handOver"));
}

}  // namespace

class WindowStartTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void commandLineAndHandOver() {
    const WindowProgram& tarvelin = tarvelin::TarvelinWindowProgram();
    const WindowProgram& quorvash = quorvash::QuorvashWindowProgram();
    QCOMPARE(ReadCommandLine(*tarvelin.engine, {"\"http://a/b c\"", "", "d "}).commandLine,
             std::string("\"http://a/b c\"  d "));
    QCOMPARE(ReadCommandLine(*tarvelin.engine, {"tarvelin:x", "y"}).commandLine,
             std::string("tarvelin:x y"));
    QVERIFY(ReadCommandLine(*quorvash.engine, {"http://a/"}).commandLine.empty());
    QCOMPARE(BrowserAddress(tarvelin, {"tarvelin:http%3A%2F%2Fh%2Fp%3Fq%3D1%2520"}),
             std::optional<std::string>("http://h/p?q=1%20"));
    QCOMPARE(BrowserAddress(tarvelin, {"tarvelin:http://h/a%20b"}), std::optional<std::string>("http://h/a%20b"));
    QCOMPARE(BrowserAddress(tarvelin, {"tarvelin:"}), std::nullopt);
    QCOMPARE(BrowserAddress(tarvelin, {"quorvash:http://h/"}), std::nullopt);
    const std::string result = "http://images.google.com/images?q=red&start=20";
    QCOMPARE(BrowserAddress(quorvash, {QString::fromStdString("quorvash:" + result)}),
             std::optional<std::string>(result));
    QCOMPARE(BrowserAddress(quorvash, {"quorvash:http://example.com/images?q=red"}), std::nullopt);
    QCOMPARE(BrowserAddress(quorvash, {"quorvash:http://images.google.com/search?q=red"}), std::nullopt);
  }

  void quotedAddressAndRenamedExecutable() {
    platform::SettingsStore("Tarvelin").WriteString("history", "http://127.0.0.1:9/kept/");
    auto report = RunReporting(kTarvelin, {"\"http://127.0.0.1:9/a b\""});
    QCOMPARE(report.value("name"), QString("Tarvelin"));
    QCOMPARE(report.value("address"), QString("\"http://127.0.0.1:9/a b\""));
    QCOMPARE(report.value("downloads"), QString("1"));
    QVERIFY(report.value("help").endsWith("/help/tarvelin.html"));
    report = RunReporting(kTarvelin, {});
    QCOMPARE(report.value("address"), QString("http://127.0.0.1:9/kept/"));
    QCOMPARE(report.value("downloads"), QString("0"));

    QTemporaryDir dir;
    const QString renamed = dir.filePath("Gallerist");
    QVERIFY(QFile::copy(kTarvelin, renamed));
    report = RunReporting(renamed, {});
    QCOMPARE(report.value("name"), QString("Gallerist"));
    QCOMPARE(report.value("address"), QString(tarvelin::kDefaultHistory));
    QCOMPARE(report.value("help"), QString());

    report = RunReporting(kQuorvash, {"http://127.0.0.1:9/"});
    QVERIFY(report.value("address").startsWith("http://images.google.com/images?"));
    QCOMPARE(report.value("downloads"), QString("0"));
  }

  void xdgOpenHandsTheAddressOver() {
    QTcpServer site;
    QVERIFY(site.listen(QHostAddress::LocalHost));
    QVERIFY(platform::RegisterBrowserButton(
        platform::BrowserButtonOf("tarvelin", "Tarvelin", "Download all pictures from this site", kTarvelin)));
    const QString address = QString("http://127.0.0.1:%1/x.htm").arg(site.serverPort());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A plain desktop: xdg-open then follows mimeapps.list itself.
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                             "GNOME_DESKTOP_SESSION_ID", "BROWSER", "WAYLAND_DISPLAY"})
      env.remove(name);
    if (env.value("DISPLAY").isEmpty()) env.insert("DISPLAY", ":99");
    const auto report = RunReporting("xdg-open", {"tarvelin:" + address}, env);
    QCOMPARE(report.value("address"), address);
    QCOMPARE(report.value("downloads"), QString("0"));
    QVERIFY(!site.waitForNewConnection(0));
    platform::RemoveBrowserButton("tarvelin");
  }
};

QTEST_MAIN(WindowStartTest)
#include "window_start_test.moc"
