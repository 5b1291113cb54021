#include "support/test_report.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <QTimer>

#include "window/help.h"
#include "window/main_dialog.h"

namespace window {

namespace {

// Records the Download requests in place of the engine.
class RecordingControl : public RunControl {
 public:
  void Download(const std::string&) override { ++downloads; }
  void Stop() override {}
  void Cancel(int) override {}
  bool Leave() override { return false; }
  int downloads = 0;
};

}  // namespace

void InstallTestReport(MainDialog& dialog) {
  const QString path = qEnvironmentVariable(kTestReportVariable);
  if (path.isEmpty()) return;
  auto* control = new RecordingControl;
  dialog.SetRunControl(control);
  // Runs once the dialog is up and has done what its start-up asks.
  QTimer::singleShot(0, &dialog, [&dialog, control, path] {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
      const QString report =
          QStringLiteral("name=") + QCoreApplication::applicationName() +
          QStringLiteral("\naddress=") + dialog.Address() +
          QStringLiteral("\ndownloads=") + QString::number(control->downloads) +
          QStringLiteral("\nhelp=") +
          HelpStartPage(dialog.Program(), QCoreApplication::applicationDirPath()) + QLatin1Char('\n');
      file.write(report.toUtf8());
      file.commit();
    }
    dialog.SetRunControl(nullptr);
    delete control;
    dialog.done(QDialog::Accepted);
  });
}

}  // namespace window
