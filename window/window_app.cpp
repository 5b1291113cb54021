#include "window/window_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include "window/dialog_units.h"
#include "window/sponsor_panel.h"
#include "window/start_up.h"
#include "window/test_report.h"
#include "window/window_session.h"

namespace shell {

QString ProgramNameOf(const QString& executablePath) { return QFileInfo(executablePath).fileName(); }

int RunWindowProgram(int argc, char** argv, const WindowProgram& program) {
  QApplication app(argc, argv);
  QApplication::setFont(DialogFont(QApplication::font()));
  QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));
  QCoreApplication::setApplicationName(ProgramNameOf(QCoreApplication::applicationFilePath()));
  const QString title = ProgramTitle(program.kind);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(title.toLower())));
  QGuiApplication::setDesktopFileName(title.toLower());
  // Message boxes of the picture actions are captioned with it.
  QGuiApplication::setApplicationDisplayName(title);

  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  WindowSession session(program, QCoreApplication::applicationName(), ReadCommandLine(program.kind, arguments));
  InstallTestReport(session.Dialog());
  AddSponsorPanel(session.Dialog(), platform::SettingsStore(QCoreApplication::applicationName().toStdString()));
  return session.Exec();
}

}  // namespace shell
