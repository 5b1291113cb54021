#include "platform/browser_button.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "platform/mimeapps_list.h"

namespace platform {

namespace {

bool HasControlCharacter(const QString& text) {
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7f) return true;
  return false;
}

// A value of type string: a backslash is written as two.
QString EscapeValue(const QString& text) {
  QString escaped = text;
  escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  return escaped;
}

// One argument of an Exec line: quoted when it holds a reserved character,
// with the quoting rules' escapes; "%" doubled, as field codes use it.
QString ExecArgument(const QString& argument) {
  static const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
  bool quote = argument.isEmpty();
  for (QChar c : argument) quote = quote || kReserved.contains(c);
  QString arg = argument;
  arg.replace(QLatin1Char('%'), QLatin1String("%%"));
  if (!quote) return arg;
  QString quoted;
  for (QChar c : arg) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
        c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
  }
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString MimeTypeOf(const QString& scheme) { return QStringLiteral("x-scheme-handler/") + scheme; }

}  // namespace

BrowserButton BrowserButtonOf(const QString& scheme, const QString& title, const QString& statusText,
                              const QString& executablePath) {
  BrowserButton button;
  button.scheme = scheme;
  button.buttonText = QStringLiteral("Run ") + title;
  button.menuText = QStringLiteral("Launch ") + title;
  button.statusText = statusText;
  button.executable = executablePath;
  // The build tree keeps the icon beside the program; an installed program
  // has its icons in the hicolor theme only.
  const QString beside = QFileInfo(executablePath).absolutePath() + QLatin1Char('/') + title + ".png";
  button.icon = QFileInfo::exists(beside) ? beside : title.toLower();
  return button;
}

QString HandlerDesktopId(const QString& scheme) { return scheme + QStringLiteral("-browser-button.desktop"); }

QString HandlerDesktopPath(const QString& scheme) {
  return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation) + QLatin1Char('/') +
         HandlerDesktopId(scheme);
}

QString MimeAppsListPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/mimeapps.list");
}

std::optional<QString> DesktopEntryText(const BrowserButton& button) {
  if (HasControlCharacter(button.executable) || HasControlCharacter(button.icon) ||
      button.executable.isEmpty())
    return std::nullopt;
  QString text;
  text += QStringLiteral("[Desktop Entry]\n");
  text += QStringLiteral("Type=Application\n");
  text += QStringLiteral("Name=") + button.buttonText + QLatin1Char('\n');
  text += QStringLiteral("GenericName=") + button.menuText + QLatin1Char('\n');
  text += QStringLiteral("Comment=") + button.statusText + QLatin1Char('\n');
  text += QStringLiteral("Exec=") + EscapeValue(ExecArgument(button.executable)) + QStringLiteral(" %u\n");
  text += QStringLiteral("Icon=") + EscapeValue(button.icon) + QLatin1Char('\n');
  text += QStringLiteral("MimeType=") + MimeTypeOf(button.scheme) + QStringLiteral(";\n");
  text += QStringLiteral("Terminal=false\n");
  // Only a handler: the program's own menu entry is installed separately.
  text += QStringLiteral("NoDisplay=true\n");
  return text;
}

bool IsBrowserButtonRegistered(const QString& scheme) {
  return QFileInfo::exists(HandlerDesktopPath(scheme));
}

bool RegisterBrowserButton(const BrowserButton& button) {
  const std::optional<QString> text = DesktopEntryText(button);
  if (!text) return false;
  const QString path = HandlerDesktopPath(button.scheme);
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  file.write(text->toUtf8());
  if (!file.commit()) return false;
  return SetDefaultApplication(MimeAppsListPath(), MimeTypeOf(button.scheme),
                               HandlerDesktopId(button.scheme));
}

void RemoveBrowserButton(const QString& scheme) {
  QFile::remove(HandlerDesktopPath(scheme));
  RemoveDefaultApplication(MimeAppsListPath(), MimeTypeOf(scheme), HandlerDesktopId(scheme));
}

QString Bookmarklet(const QString& scheme) {
  return QStringLiteral("javascript:void(location.href='") + scheme +
         QStringLiteral(":'+encodeURIComponent(location.href))");
}

}  // namespace platform
