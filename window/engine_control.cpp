#include "window/engine_control.h"

#include <QEventLoop>

#include "pictures/thumbnail_list.h"
#include "window/main_dialog.h"

namespace window {

namespace {

constexpr int kRefreshMs = 66;  // 15 times a second
constexpr qint64 kRateWindowMs = 2000;  // the caption's rate is over this long

// Titles and links come from pages: a control character in them shows as
// the replacement character. A log keeps its tabs and line ends.
QString Visible(QString text, bool log) {
  for (QChar& c : text) {
    const char16_t u = c.unicode();
    const bool lineEnd = u == '\t' || u == '\r' || u == '\n';
    if ((u < 0x20 && !(log && lineEnd)) || (u >= 0x7F && u <= 0x9F)) c = QChar(0xFFFD);
  }
  return text;
}

// A label shows the link a worker took; of a link to another site, the
// address after its marker byte.
QString LabelText(const std::string& link) {
  const size_t marker = link.find('\x01');
  return Visible(QString::fromUtf8(marker == std::string::npos ? link : link.substr(marker + 1)), false);
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
    set(Visible(decoder.decode(text), true));
  } else if (!text.empty()) {
    append(Visible(decoder.decode(text), true));
  }
}

}  // namespace

EngineControl::EngineControl(const engine::Program& program, MainDialog& dialog, pictures::ThumbnailList& list,
                             std::filesystem::path programFolder)
    : m_dialog(dialog), m_list(list), m_view(dialog, list), m_engine(program, m_view, std::move(programFolder)) {
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
  m_samples.clear();
  m_clock.start();
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
  m_dialog.ShowRunProgress(0, -1);
  m_dialog.RunEnded();
}

void EngineControl::ShowProgress() {
  const qint64 now = m_clock.elapsed();
  m_samples.emplace_back(now, m_view.StoredBytes());
  while (m_samples.size() > 2 && now - m_samples[1].first >= kRateWindowMs) m_samples.pop_front();
  const qint64 span = now - m_samples.front().first;
  const double rate = span > 0 ? double(m_samples.back().second - m_samples.front().second) * 1000.0 / double(span) : 0.0;
  m_dialog.ShowRunProgress(m_list.Count(), rate);
}

void EngineControl::Refresh() {
  if (m_timer.isActive()) ShowProgress();
  const auto rows = m_engine.Rows();
  for (int k = 0; k < engine::kWorkerCount; ++k) {
    if (rows[k].label != m_labels[k]) {
      m_labels[k] = rows[k].label;
      m_shownLabels[k] = LabelText(rows[k].label);
    }
    m_dialog.ShowWorkerRow(k, m_shownLabels[k], rows[k].high, rows[k].pos);
  }
  // The run log, emptied by Download, gets its first line once a worker
  // has taken a file: the run is under way.
  const engine::LogText runLog = m_engine.ReadRunLog(m_runCursor);
  if (!runLog.lines.empty()) m_view.ClearIfPending();
  ShowLog(
      runLog, m_runText, [this](const QString& t) { m_dialog.SetRunLog(t); },
      [this](const QString& t) { m_dialog.AppendRunLog(t); });
  ShowLog(
      m_engine.ReadTitleLog(m_titleCursor), m_titleText, [this](const QString& t) { m_dialog.SetTitleLog(t); },
      [this](const QString& t) { m_dialog.AppendTitleLog(t); });
}

}  // namespace window
