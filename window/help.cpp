#include "window/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include "window/window_program.h"

namespace shell {

QString HelpStartPage(engine::ProgramKind kind, const QString& programDir) {
  const QString page = ProgramTitle(kind).toLower() + QStringLiteral(".html");
  for (const QString& folder : {QStringLiteral("/help/"),
                                QStringLiteral("/../share/picture-fetchers/help/")}) {
    const QFileInfo info(programDir + folder + page);
    if (info.isFile() && info.isReadable()) return info.canonicalFilePath();
  }
  return QString();
}

void OpenHelp(engine::ProgramKind kind) {
  const QString page = HelpStartPage(kind, QCoreApplication::applicationDirPath());
  if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

}  // namespace shell
