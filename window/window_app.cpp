#include "window/window_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include "platform/process_setup.h"
#include "window/dialog_units.h"
#include "window/sponsor_panel.h"
#include "window/start_up.h"
#include "window/window_session.h"

namespace window {

QString ProgramNameOf(const QString& executablePath) { return QFileInfo(executablePath).fileName(); }

int RunWindowProgram(int argc, char** argv, const WindowProgram& program,
                     const std::function<void(MainDialog&)>& beforeRun) {
  // Before Qt starts threads of its own.
  platform::SetUpProcess();
  QApplication app(argc, argv);
  QApplication::setFont(DialogFont(QApplication::font()));
  QCoreApplication::setOrganizationName(QString::fromLatin1(kOrganisation));
  QCoreApplication::setApplicationName(ProgramNameOf(QCoreApplication::applicationFilePath()));
  const QString title = program.Title();
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(title.toLower())));
  QGuiApplication::setDesktopFileName(title.toLower());
  // No application display name: on X11 Qt would add it to every title,
  // "Tarvelin — 120 pictures, 3.2 MB/s — Tarvelin".

  QStringList arguments = QCoreApplication::arguments();
  arguments.removeFirst();
  WindowSession session(program, QCoreApplication::applicationName(), ReadCommandLine(*program.engine, arguments));
  if (beforeRun) beforeRun(session.Dialog());
  AddSponsorPanel(session.Dialog(), platform::SettingsStore(QCoreApplication::applicationName().toStdString()));
  return session.Exec();
}

}  // namespace window
