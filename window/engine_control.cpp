#include "window/engine_control.h"

#include <QEventLoop>

#include "pictures/thumbnail_list.h"
#include "window/main_dialog.h"

namespace shell {

namespace {

constexpr int kRefreshMs = 66;  // 15 times a second

// A label shows the link a worker took; of a link to another site, the
// address after its marker byte.
QString LabelText(const std::string& link) {
  const size_t marker = link.find('\x01');
  return QString::fromUtf8(marker == std::string::npos ? link : link.substr(marker + 1));
}

// Feeds what a log gained to the dialog, each line ended with "\r\n"; the
// log of another run is shown afresh.
template <typename Set, typename Append>
void ShowLog(const engine::LogText& read, QStringDecoder& decoder, Set set, Append append) {
  std::string text;
  if (read.dropped > 0) text = "(" + std::to_string(read.dropped) + " lines not kept)\r\n";
  for (const std::string& line : read.lines) text += line + "\r\n";
  if (read.restarted) {
    decoder.resetState();
    set(decoder.decode(text));
  } else if (!text.empty()) {
    append(decoder.decode(text));
  }
}

}  // namespace

EngineControl::EngineControl(const engine::Program& program, MainDialog& dialog, pictures::ThumbnailList& list,
                             std::filesystem::path programFolder)
    : m_dialog(dialog), m_view(dialog, list), m_engine(program, m_view, std::move(programFolder)) {
  m_engine.SetStartedWithAddress(dialog.StartedWithAddress());
  m_timer.setInterval(kRefreshMs);
  connect(&m_timer, &QTimer::timeout, this, &EngineControl::Refresh);
  connect(&m_view, &WindowView::stateChanged, this, &EngineControl::OnStateChanged);
  connect(&m_view, &WindowView::runEnded, this, &EngineControl::OnRunEnded);
}

EngineControl::~EngineControl() { Finish(); }

void EngineControl::Download(const std::string& address) {
  if (!m_engine.Download(address)) return;
  m_run = m_engine.CurrentRun();
  m_timer.start();
}

void EngineControl::Stop() { m_engine.Stop(); }

void EngineControl::Cancel(int worker) { m_engine.Cancel(worker); }

bool EngineControl::Leave() {
  m_view.SetLeaving();
  return m_engine.Leave();
}

void EngineControl::Finish() {
  // Each pass waits for the end of a run; one that ended before may still
  // be on its way.
  while (Leave()) {
    QEventLoop loop;
    connect(&m_view, &WindowView::runEnded, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

void EngineControl::OnStateChanged(engine::RunId run, engine::EngineState state) {
  // What the run wrote last is shown at once.
  if (run == m_run && state == engine::EngineState::Idle) Refresh();
}

void EngineControl::OnRunEnded(engine::RunId run) {
  // The end of a run before the one going on may arrive after its start.
  if (run != m_run) return;
  m_timer.stop();
  Refresh();
  m_dialog.RunEnded();
}

void EngineControl::Refresh() {
  const auto rows = m_engine.Rows();
  for (int k = 0; k < engine::kWorkerCount; ++k) {
    if (rows[k].label != m_labels[k]) {
      m_labels[k] = rows[k].label;
      m_shownLabels[k] = LabelText(rows[k].label);
    }
    m_dialog.ShowWorkerRow(k, m_shownLabels[k], rows[k].high, rows[k].pos);
  }
  ShowLog(
      m_engine.ReadRunLog(m_runCursor), m_runText, [this](const QString& t) { m_dialog.SetRunLog(t); },
      [this](const QString& t) { m_dialog.AppendRunLog(t); });
  ShowLog(
      m_engine.ReadTitleLog(m_titleCursor), m_titleText, [this](const QString& t) { m_dialog.SetTitleLog(t); },
      [this](const QString& t) { m_dialog.AppendTitleLog(t); });
}

}  // namespace shell
