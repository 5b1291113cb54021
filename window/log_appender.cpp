#include "window/log_appender.h"

#include <QPlainTextEdit>
#include <QTextCursor>

namespace window {

namespace {
constexpr int kLinesPerPass = 200;  // about a millisecond of layout
}  // namespace

LogAppender::LogAppender(QPlainTextEdit& log, int keptLines) : QObject(&log), m_log(log) {
  m_log.setMaximumBlockCount(keptLines);
  m_next.setSingleShot(true);
  m_next.setInterval(0);
  connect(&m_next, &QTimer::timeout, this, &LogAppender::InsertNext);
}

void LogAppender::Set(const QString& text) {
  m_waiting.clear();
  m_next.stop();
  m_log.setPlainText(text);
}

void LogAppender::Append(const QString& text) {
  qsizetype start = 0;
  int lines = 0;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] != QLatin1Char('\n') || ++lines < kLinesPerPass) continue;
    m_waiting.push_back(text.mid(start, i + 1 - start));
    start = i + 1;
    lines = 0;
  }
  if (start < text.size()) m_waiting.push_back(text.mid(start));
  if (!m_next.isActive()) InsertNext();
}

void LogAppender::InsertNext() {
  if (m_waiting.empty()) return;
  QTextCursor cursor(m_log.document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(m_waiting.front());
  m_waiting.pop_front();
  if (!m_waiting.empty()) m_next.start();
}

}  // namespace window
