#include "window/start_up.h"

#include <QUrl>


namespace window {

namespace {

bool StartsWithWebScheme(const QString& text) {
  return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
         text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

}  // namespace

StartUp ReadCommandLine(const engine::Program& program, const QStringList& arguments) {
  StartUp startUp;
  const QString prefix = QString::fromStdString(program.urlScheme) + QLatin1Char(':');
  if (arguments.size() == 1 && arguments[0].startsWith(prefix, Qt::CaseInsensitive)) {
    startUp.handOver = arguments[0].mid(prefix.size()).toStdString();
    return startUp;
  }
  if (program.takesStartAddress) startUp.commandLine = arguments.join(QLatin1Char(' ')).toStdString();
  return startUp;
}

std::optional<std::string> FindBrowserAddress(const WindowProgram& program, const StartUp& startUp,
                                              const platform::SettingsStore& store) {
  if (!startUp.handOver) return std::nullopt;
  QString address = QString::fromStdString(*startUp.handOver);
  // The bookmarklet sends the address percent-encoded; one typed by hand
  // ("tarvelin:http://...") comes as it is and must keep its own escapes.
  if (!StartsWithWebScheme(address)) address = QUrl::fromPercentEncoding(address.toUtf8());
  if (address.isEmpty()) return std::nullopt;
  if (!program.takeBrowserAddress) return address.toStdString();
  return program.takeBrowserAddress(address.toStdString(), store);
}

}  // namespace window
