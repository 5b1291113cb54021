#pragma once
// Feeds a read-only log control a bounded number of lines per pass of the
// event loop. A run's log gains up to two thousand lines between two
// refreshes on a fast network; laid out at once, they held the window's
// thread for most of a frame.
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>

class QPlainTextEdit;

namespace window {

class LogAppender : public QObject {
 public:
  // The control keeps at most `keptLines` lines, the newest.
  LogAppender(QPlainTextEdit& log, int keptLines);

  // What the log shows from now on; what still waited is dropped.
  void Set(const QString& text);
  // Shown after everything given before it, at once when it is short and
  // nothing waits.
  void Append(const QString& text);

 private:
  void InsertNext();

  QPlainTextEdit& m_log;
  std::deque<QString> m_waiting;  // pieces of at most kLinesPerPass lines
  QTimer m_next;
};

}  // namespace window
