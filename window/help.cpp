#include "window/help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>


namespace window {

QString HelpStartPage(const WindowProgram& program, const QString& programDir) {
  const QString page = program.Title().toLower() + QStringLiteral(".html");
  for (const QString& folder : {QStringLiteral("/help/"),
                                QStringLiteral("/../share/picture-fetchers/help/")}) {
    const QFileInfo info(programDir + folder + page);
    if (info.isFile() && info.isReadable()) return info.canonicalFilePath();
  }
  return QString();
}

void OpenHelp(const WindowProgram& program) {
  const QString page = HelpStartPage(program, QCoreApplication::applicationDirPath());
  if (!page.isEmpty()) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

}  // namespace window
