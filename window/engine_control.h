#pragma once
// The main dialog's commands carried to the download engine, and what the
// engine shows brought back: a timer on the window's thread reads the worker
// rows and the two logs 15 times a second while a run goes on, so nothing is
// handed across threads per read of a file.
#include <QElapsedTimer>
#include <QObject>
#include <QStringDecoder>
#include <QTimer>
#include <array>
#include <deque>
#include <filesystem>
#include <string>

#include "engine/download_engine.h"
#include "window/run_control.h"
#include "window/window_view.h"

namespace window {

class MainDialog;

class EngineControl : public QObject, public RunControl {
  Q_OBJECT

 public:
  // `program` must outlive this object.
  EngineControl(const engine::Program& program, MainDialog& dialog, pictures::ThumbnailList& list,
                std::filesystem::path programFolder);
  // Finishes first: the engine is destroyed only once its run has ended.
  ~EngineControl() override;

  void Download(const std::string& address) override;
  void Stop() override;
  void Cancel(int worker) override;
  bool Leave() override;

  // Leaves, and handles events until a run still ending has ended.
  void Finish();
  // Reads the rows and the logs into the dialog now.
  void Refresh();

  WindowView& View() { return m_view; }
  engine::DownloadEngine& Engine() { return m_engine; }

 private:
  void OnStateChanged(engine::RunId run, engine::EngineState state);
  void OnRunEnded(engine::RunId run);
  void ShowProgress();

  MainDialog& m_dialog;
  pictures::ThumbnailList& m_list;
  WindowView m_view;  // outlives the engine, which calls it
  engine::DownloadEngine m_engine;
  QTimer m_timer;  // runs while a run started here has not ended
  engine::RunId m_run = 0;  // the run started last from here
  std::array<std::string, engine::kWorkerCount> m_labels;
  std::array<QString, engine::kWorkerCount> m_shownLabels;
  engine::LogCursor m_runCursor, m_titleCursor;
  QStringDecoder m_runText{QStringDecoder::Utf8};
  QStringDecoder m_titleText{QStringDecoder::Utf8};
  // Bytes stored by the moment of each refresh in the last seconds: the rate in the caption.
  QElapsedTimer m_clock;
  std::deque<std::pair<qint64, int64_t>> m_samples;
};

}  // namespace window
