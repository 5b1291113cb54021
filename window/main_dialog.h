#pragma once
// The main window of Tarvelin and Quorvash: the address field and Download,
// five worker rows, the thumbnail list, Stop and Exit, the menu.
//
// Wiring the engine in:
//  - Commands go out through RunControl (SetRunControl): Download with the
//    address field's text (the button and Enter), Stop, Cancel(worker) and
//    Leave when the user has confirmed leaving.
//  - State comes in through the public slots below, on the window's thread
//    (a 10-20 Hz timer reading the engine's snapshots, queued calls):
//    ShowWorkerRow, the log setters, and RunEnded when a run is over.
//  - Closing during a run: the dialog calls RunControl::Leave(); when that
//    returns true it stays open and keeps handling events (Download is
//    refused meanwhile) until RunEnded() arrives, then closes.
//  - The thumbnail list (1029) and the sponsor panel (1006) are
//    placeholders that SetThumbnailList / SetSponsorPanel replace.
//  - The logs (1003, 1002) are hidden; the text they hold is the only copy.
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "platform/settings_store.h"
#include "window/control_ids.h"
#include "window/run_control.h"
#include "window/start_up.h"
#include "window/window_program.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace window {

class LogAppender;

class MainDialog : public QDialog {
  Q_OBJECT

 public:
  // `program` must outlive the dialog.
  MainDialog(const WindowProgram& program, platform::SettingsStore store, StartUp startUp,
             QWidget* parent = nullptr);

  // Null until the engine is wired: commands then do nothing.
  void SetRunControl(RunControl* control) { m_control = control; }

  // Puts `list` in the place of control 1029 (same geometry and id); the
  // dialog takes ownership.
  void SetThumbnailList(QWidget* list);
  // Puts `panel` in the place of control 1006; the dialog takes ownership.
  void SetSponsorPanel(QWidget* panel);
  // What "&Open Picture gallery" runs.
  void SetGalleryAction(std::function<void()> action) { m_openGallery = std::move(action); }
  // What Enter on the thumbnail list runs: the viewer, as a double click.
  void SetOpenPictureAction(std::function<void()> action) { m_openPicture = std::move(action); }

  const WindowProgram& Program() const { return m_program; }
  QString Address() const;
  void SetAddress(const QString& address);
  // Started with an address on its command line.
  bool StartedWithAddress() const { return !m_startUp.commandLine.empty(); }
  // The user has confirmed leaving and the dialog waits for RunEnded().
  bool IsClosing() const { return m_closing; }

  // Menu and button commands, callable from code too.
  void OpenSettings(int pageIndex);  // runs the Settings sheet modally
  void ShowAbout();                  // runs the About box modally
  void EnlargeThumbnails();          // button 1032
  // Cancel: the exit question, then leaving.
  void reject() override;

 public Q_SLOTS:
  // Worker `worker` (0 to 4): its label and its progress bar at `pos` of
  // 0..`high`. Positions beyond int range are scaled down together.
  void ShowWorkerRow(int worker, const QString& label, qint64 high, qint64 pos);
  // The run log (1003) and the page-title log (1002): replaced whole, or
  // grown by `text` at the end.
  void SetRunLog(const QString& text);
  void AppendRunLog(const QString& text);
  void SetTitleLog(const QString& text);
  void AppendTitleLog(const QString& text);
  // The engine's run has ended; closes the dialog when leaving waited for it.
  void RunEnded();
  // The caption while a run goes on: "Tarvelin — 120 pictures, 3.2 MB/s";
  // a negative rate shows the name alone.
  void ShowRunProgress(int pictures, double bytesPerSecond);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWindow();
  void BindControls();
  void Initialise();
  void ConnectControls();
  void OnCommand(int command);
  void OnDownload();
  void OnNoScroll(bool checked);
  void Leave();
  void LayOut();
  void FitMinimumSize();
  void SaveGeometry();

  // The controls the dialog works with, found once by their ids.
  struct Controls {
    QLineEdit* address = nullptr;
    QPushButton* download = nullptr;
    QPlainTextEdit* runLog = nullptr;
    QPlainTextEdit* titleLog = nullptr;
    std::array<QLabel*, kWorkerCount> fileLabels{};
    std::array<QProgressBar*, kWorkerCount> bars{};
    std::array<QPushButton*, kWorkerCount> cancels{};
    QWidget* list = nullptr;
    QCheckBox* noScroll = nullptr;
    QPushButton* enlarge = nullptr;
    QPushButton* stop = nullptr;
    QPushButton* exit = nullptr;
  };

  LogAppender* m_runLog = nullptr;  // children of their controls
  LogAppender* m_titleLog = nullptr;
  const WindowProgram& m_program;
  platform::SettingsStore m_store;
  StartUp m_startUp;
  RunControl* m_control = nullptr;
  std::function<void()> m_openGallery;
  std::function<void()> m_openPicture;
  QWidget* m_client = nullptr;  // the controls' parent: the client area
  Controls m_controls;
  int m_listTop = 0;
  bool m_closing = false;
  bool m_shown = false;
};

}  // namespace window
