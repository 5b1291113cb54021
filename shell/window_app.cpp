#include "shell/window_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include "shell/main_dialog.h"
#include "shell/sponsor_panel.h"
#include "shell/start_up.h"
#include "shell/test_report.h"

namespace shell {

QString ProgramNameOf(const QString& executablePath) { return QFileInfo(executablePath).fileName(); }

int RunWindowProgram(int argc, char** argv, const WindowProgram& program) {
  QApplication app(argc, argv);
  QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));
  QCoreApplication::setApplicationName(ProgramNameOf(QCoreApplication::applicationFilePath()));
  const QString title = ProgramTitle(program.kind);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(title.toLower())));
  QGuiApplication::setDesktopFileName(title.toLower());

  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  platform::SettingsStore store(QCoreApplication::applicationName().toStdString());
  MainDialog dialog(program, store, ReadCommandLine(program.kind, arguments));
  // The engine is wired in here: dialog.SetRunControl(...), the worker-row
  // timer and the view's calls into the dialog.
  InstallTestReport(dialog);
  AddSponsorPanel(dialog, store);
  dialog.exec();
  return 0;
}

}  // namespace shell
