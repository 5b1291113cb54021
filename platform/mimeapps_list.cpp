#include "platform/mimeapps_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

namespace platform {

namespace {

const QLatin1String kDefaultGroup("[Default Applications]");

// Lines are kept as the bytes they were, so lines this code does not touch
// are written back unchanged whatever their encoding.
struct Lines {
  QList<QByteArray> lines;
  bool readable = true;
};

// A missing file reads as empty; one that exists but cannot be read is not
// readable, and is then never written.
Lines ReadLines(const QString& path) {
  Lines result;
  QFile file(path);
  if (!file.exists()) return result;
  if (!file.open(QIODevice::ReadOnly)) {
    result.readable = false;
    return result;
  }
  const QByteArray text = file.readAll();
  if (text.isEmpty()) return result;
  result.lines = text.split('\n');
  if (text.endsWith('\n')) result.lines.removeLast();
  return result;
}

bool WriteLines(const QString& path, const Lines& content) {
  if (!content.readable || !QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  for (const QByteArray& line : content.lines) file.write(line + '\n');
  return file.commit();
}

bool IsGroupHeader(const QByteArray& line) { return line.trimmed().startsWith('['); }

// The key of a "key=value" line, without the blanks around it.
QString KeyOf(const QByteArray& line) {
  const qsizetype eq = line.indexOf('=');
  return eq < 0 ? QString() : QString::fromUtf8(line.left(eq).trimmed());
}

QStringList ValuesOf(const QByteArray& line) {
  const QString value = QString::fromUtf8(line.mid(line.indexOf('=') + 1).trimmed());
  return value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

QByteArray LineOf(const QString& key, const QStringList& values) {
  return (key + QLatin1Char('=') + values.join(QLatin1Char(';')) + QLatin1Char(';')).toUtf8();
}

// Where the default group and the key lie: [begin, end) of the group's lines.
struct Place {
  qsizetype groupBegin = -1;  // the header's line, or -1 when there is no group
  qsizetype groupEnd = -1;
  qsizetype keyLine = -1;
};

Place Find(const QList<QByteArray>& lines, const QString& key) {
  Place place;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (!IsGroupHeader(lines[i])) continue;
    if (place.groupBegin >= 0) {
      place.groupEnd = i;
      break;
    }
    if (lines[i].trimmed() == kDefaultGroup.data()) place.groupBegin = i;
  }
  if (place.groupBegin < 0) return place;
  if (place.groupEnd < 0) place.groupEnd = lines.size();
  for (qsizetype i = place.groupBegin + 1; i < place.groupEnd; ++i)
    if (KeyOf(lines[i]) == key) place.keyLine = i;
  return place;
}

}  // namespace

bool SetDefaultApplication(const QString& listPath, const QString& mimeType, const QString& desktopId) {
  Lines content = ReadLines(listPath);
  QList<QByteArray>& lines = content.lines;
  const Place place = Find(lines, mimeType);
  const QByteArray line = LineOf(mimeType, {desktopId});
  if (place.keyLine >= 0) {
    lines[place.keyLine] = line;
  } else if (place.groupBegin >= 0) {
    lines.insert(place.groupBegin + 1, line);
  } else {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines.append(QByteArray());
    lines.append(QByteArray(kDefaultGroup.data()));
    lines.append(line);
  }
  return WriteLines(listPath, content);
}

bool RemoveDefaultApplication(const QString& listPath, const QString& mimeType,
                              const QString& desktopId) {
  Lines content = ReadLines(listPath);
  if (!content.readable) return false;
  const Place place = Find(content.lines, mimeType);
  if (place.keyLine < 0) return true;
  QStringList values = ValuesOf(content.lines[place.keyLine]);
  if (!values.contains(desktopId)) return true;
  values.removeAll(desktopId);
  if (values.isEmpty())
    content.lines.removeAt(place.keyLine);
  else
    content.lines[place.keyLine] = LineOf(mimeType, values);
  return WriteLines(listPath, content);
}

QStringList DefaultApplications(const QString& listPath, const QString& mimeType) {
  const Lines content = ReadLines(listPath);
  const Place place = Find(content.lines, mimeType);
  return place.keyLine < 0 ? QStringList() : ValuesOf(content.lines[place.keyLine]);
}

}  // namespace platform
