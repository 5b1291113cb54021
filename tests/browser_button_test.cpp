// The web browser's button as the desktop sees it: the user's mimeapps.list
// keeps what others wrote, and the handler entry is valid, found by
// xdg-mime, rewritten when the program moved, and removed again.
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include "platform/browser_button.h"
#include "platform/mimeapps_list.h"

using namespace platform;

namespace {

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString Run(const QString& program, const QStringList& arguments, int* status = nullptr) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(30000);
  if (status) *status = process.exitCode();
  return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError()).trimmed();
}

}  // namespace

class BrowserButtonTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void mimeAppsListKeepsWhatOthersWrote() {
    const QString path = QDir::temp().filePath("fetchers-mimeapps-test.list");
    const QByteArray original =
        "[Added Associations]\ntext/html=web.desktop;\n\n[Default Applications]\n"
        "x-scheme-handler/tarvelin=other.desktop;mine.desktop;\nimage/png=view\xff.desktop;\n";
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(original);
    file.close();
    QVERIFY(SetDefaultApplication(path, "x-scheme-handler/quorvash", "mine.desktop"));
    QCOMPARE(DefaultApplications(path, "x-scheme-handler/quorvash"), QStringList{"mine.desktop"});
    QVERIFY(RemoveDefaultApplication(path, "x-scheme-handler/quorvash", "mine.desktop"));
    QCOMPARE(Read(path), original);
    QVERIFY(RemoveDefaultApplication(path, "x-scheme-handler/tarvelin", "mine.desktop"));
    QCOMPARE(DefaultApplications(path, "x-scheme-handler/tarvelin"), QStringList{"other.desktop"});
    QVERIFY(Read(path).contains("image/png=view\xff.desktop;\n"));
    QFile::remove(path);

    const QString fresh = QDir::temp().filePath("fetchers-mimeapps-fresh/sub/mimeapps.list");
    QVERIFY(SetDefaultApplication(fresh, "x-scheme-handler/tarvelin", "a.desktop"));
    QCOMPARE(Read(fresh), QByteArray("[Default Applications]\nx-scheme-handler/tarvelin=a.desktop;\n"));
    QDir(QDir::temp().filePath("fetchers-mimeapps-fresh")).removeRecursively();
  }

  void registrationAsTheDesktopSeesIt() {
    QVERIFY(!IsBrowserButtonRegistered("tarvelin"));
    QVERIFY(SetDefaultApplication(MimeAppsListPath(), "x-scheme-handler/other", "other.desktop"));
    BrowserButton button = BrowserButtonOf("tarvelin", "Tarvelin", "Download all pictures from this site",
                                           "/opt/my \"pics\"/50%/Tarvelin");
    QVERIFY(RegisterBrowserButton(button));
    QVERIFY(IsBrowserButtonRegistered("tarvelin"));
    const QByteArray entry = Read(HandlerDesktopPath("tarvelin"));
    QVERIFY(entry.contains("Exec=\"/opt/my \\\\\"pics\\\\\"/50%%/Tarvelin\" %u\n"));
    QVERIFY(entry.contains("GenericName=Launch Tarvelin\nComment=Download all pictures from this site\n"));
    int status = -1;
    const QString validation = Run("desktop-file-validate", {HandlerDesktopPath("tarvelin")}, &status);
    QVERIFY2(status == 0 && !validation.contains("error"), qPrintable(validation));
    QCOMPARE(Run("xdg-mime", {"query", "default", "x-scheme-handler/tarvelin"}),
             HandlerDesktopId("tarvelin"));

    // Moved: the entry names the new place.
    button.executable = "/usr/local/bin/Tarvelin";
    QVERIFY(RegisterBrowserButton(button));
    QVERIFY(Read(HandlerDesktopPath("tarvelin")).contains("Exec=/usr/local/bin/Tarvelin %u\n"));

    RemoveBrowserButton("tarvelin");
    RemoveBrowserButton("tarvelin");
    QVERIFY(!IsBrowserButtonRegistered("tarvelin"));
    QCOMPARE(Run("xdg-mime", {"query", "default", "x-scheme-handler/tarvelin"}), QString());
    QCOMPARE(DefaultApplications(MimeAppsListPath(), "x-scheme-handler/other"),
             QStringList{"other.desktop"});
    QVERIFY(!DesktopEntryText(BrowserButtonOf("tarvelin", "Tarvelin", "", "/tmp/a\nb/Tarvelin")));
  }
};

QTEST_MAIN(BrowserButtonTest)
#include "browser_button_test.moc"
