#pragma once
// Helpers for the window tests: answering modal boxes, reading the settings
// a program wrote, and running a window program that reports what it shows.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMap>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "support/test_report.h"

// While alive, answers every modal message box with `button` and keeps its text.
class MessageBoxAnswerer {
 public:
  explicit MessageBoxAnswerer(QMessageBox::StandardButton button) {
    QObject::connect(&m_timer, &QTimer::timeout, [this, button] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      texts << box->text();
      box->button(button)->click();
    });
    m_timer.start(5);
  }
  QStringList texts;

 private:
  QTimer m_timer;
};

// Runs `check` on the first modal dialog of type T that opens, then closes it.
template <typename T>
void OnNextModal(std::function<void(T*)> check) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, check] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (!dialog) return;
    timer->stop();
    timer->deleteLater();
    check(dialog);
    dialog->reject();
  });
  timer->start(5);
}

// The keys a program's settings root holds in its "Settings" group.
inline QStringList StoredKeys(const QString& program) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "Ombrel software", program);
  settings.beginGroup("Settings");
  return settings.childKeys();
}

// Runs a window program with the test report on; returns its "key=value"
// lines, empty when it wrote none.
inline QMap<QString, QString> RunReporting(const QString& program, const QStringList& arguments,
                                           QProcessEnvironment env = QProcessEnvironment::systemEnvironment()) {
  QTemporaryDir dir;
  const QString report = dir.filePath("report.txt");
  env.insert(window::kTestReportVariable, report);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  // The sponsor panel's page goes to a dead loopback proxy, not out to its host.
  env.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--proxy-server=127.0.0.1:9");
  QProcess process;
  process.setProcessEnvironment(env);
  process.start(program, arguments);
  process.waitForFinished(60000);
  QMap<QString, QString> values;
  QFile file(report);
  if (!file.open(QIODevice::ReadOnly)) return values;
  for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts))
    values.insert(line.section('=', 0, 0), line.section('=', 1));
  return values;
}
