#include "console/console_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "links/control_bytes.h"
#include "platform/picture_count.h"

namespace console {

namespace {

// A terminal ends lines with "\n". Titles and links come from pages: any
// other control byte is shown, never obeyed.
std::string Lines(const engine::LogText& log) {
  std::string out;
  if (log.dropped > 0) out = "(" + std::to_string(log.dropped) + " lines not kept)\n";
  for (const std::string& line : log.lines) out += links::EscapeControls(line, "\t\n") + "\n";
  return out;
}

std::string Bar(const engine::WorkerRow& row, int width) {
  const int64_t filled = row.high > 0 ? std::clamp<int64_t>(row.pos * width / row.high, 0, width) : 0;
  return std::string(size_t(filled), '#') + std::string(size_t(width - filled), '.');
}

std::string Size(double bytes) {
  const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  int u = 0;
  while (bytes >= 1024 && u < 4) bytes /= 1024, ++u;
  char text[32];
  std::snprintf(text, sizeof text, u == 0 ? "%.0f %s" : "%.1f %s", bytes, units[u]);
  return text;
}

int TerminalColumns(std::FILE* screen) {
  winsize ws{};
  if (::ioctl(::fileno(screen), TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

// A line never reaches the last column, so that no terminal wraps it and the
// block's line count stays true.
std::string Fit(std::string line, int columns) {
  if (int(line.size()) >= columns) line.resize(size_t(std::max(columns - 1, 0)));
  return line + "\n";
}

}  // namespace

ConsoleView::ConsoleView(std::FILE* log, std::FILE* screen) : m_log(log), m_screen(screen) {}

void ConsoleView::Start(engine::DownloadEngine& engine) {
  m_engine = &engine;
  m_drawer = std::thread([this] { DrawLoop(); });
}

ConsoleView::~ConsoleView() { Finish(); }

void ConsoleView::ClearPictures(engine::RunId) {
  std::lock_guard g(m_mutex);
  m_pictures = 0;
}

// A stored file always arrived whole, so a header that reads as a picture
// of some size is enough to count it; nothing is decoded.
void ConsoleView::AddPicture(const engine::StoredPicture& picture) {
  if (!platform::CountsAsPicture(picture.file, picture.headerSize)) return;
  std::lock_guard g(m_mutex);
  ++m_pictures;
}

int ConsoleView::Pictures() const {
  std::lock_guard g(m_mutex);
  return m_pictures;
}

bool ConsoleView::Ask(engine::Question question, const std::string& text) {
  switch (question) {
    case engine::Question::ContinueDownload:
      if (m_resumeAnswer) return *m_resumeAnswer;
      if (!::isatty(STDIN_FILENO)) {
        // No one to ask: a script's run must not throw an earlier one away.
        m_leftUntouched = true;
        m_engine->Leave();
        return false;
      }
      return AskOnTerminal(text);
    case engine::Question::Suggestion:
    case engine::Question::BrokenProjectFile:
      return AskOnTerminal(text);
    case engine::Question::ViewFiles:
      return false;  // the end of the run is printed by the front end
  }
  return false;
}

bool ConsoleView::AskOnTerminal(const std::string& text) {
  if (!::isatty(STDIN_FILENO)) return false;
  {
    // No redraw while the question stands; the workers go on meanwhile.
    std::lock_guard g(m_mutex);
    Flush(true);
    m_asking = true;
    std::fprintf(stdout, "%s [y/N] ", links::EscapeControls(text).c_str());
    std::fflush(stdout);
  }
  std::string answer;
  std::getline(std::cin, answer);
  std::lock_guard g(m_mutex);
  m_asking = false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

void ConsoleView::ShowError(const std::string& text) {
  std::lock_guard g(m_mutex);
  Flush(true);  // the block is drawn again below the message
  std::fprintf(stderr, "%s\n", links::EscapeControls(text, "\n").c_str());
}

void ConsoleView::Resized() {
  std::lock_guard g(m_mutex);
  m_wake.notify_all();
}

// Sums the "(N bytes, S seconds)" of the closing lines.
void ConsoleView::CountClosedFiles(const engine::LogText& log) {
  for (const std::string& line : log.lines) {
    const size_t open = line.find(":(");
    if (line.starts_with("-------------") && open != std::string::npos)
      m_closedBytes += std::strtoll(line.c_str() + open + 2, nullptr, 10);
  }
}

std::string ConsoleView::Block() {
  const int columns = TerminalColumns(m_screen);
  const int bar = std::clamp(columns / 5, 5, 20);
  const int labelWidth = std::max(columns - bar - 7, 8);
  std::string block;
  int64_t bytes = m_closedBytes;
  const auto rows = m_engine->Rows();
  for (size_t k = 0; k < rows.size(); ++k) {
    std::string label = links::ReplaceControls(rows[k].label, "?").substr(0, size_t(labelWidth));
    label.resize(size_t(labelWidth), ' ');
    bytes += rows[k].pos;
    block += Fit("[" + std::to_string(k + 1) + "] " + label + " " + Bar(rows[k], bar), columns);
  }
  const auto now = std::chrono::steady_clock::now();
  const double seconds = std::chrono::duration<double>(now - m_sampleTime).count();
  if (seconds >= 1) {
    m_speed = std::max<double>(bytes - m_sampleBytes, 0) / seconds;
    m_sampleBytes = bytes;
    m_sampleTime = now;
  }
  block += Fit("pictures: " + std::to_string(m_pictures) + "  " + Size(double(bytes)) + "  " + Size(m_speed) +
                   "/s  links left: " + std::to_string(m_engine->LinksWaiting()),
               columns);
  return block;
}

// With m_mutex held: takes the block off the screen, prints what the logs
// gained, and draws the block again.
void ConsoleView::Flush(bool final) {
  if (m_screen && m_blockLines > 0) std::fprintf(m_screen, "\x1b[%dF\x1b[J", m_blockLines);
  m_blockLines = 0;
  if (!m_engine) return;
  const engine::LogText titles = m_engine->ReadTitleLog(m_titleCursor);
  const engine::LogText run = m_engine->ReadRunLog(m_runCursor);
  if (m_log) {
    std::fputs(Lines(titles).c_str(), m_log);
    std::fputs(Lines(run).c_str(), m_log);
    std::fflush(m_log);
  }
  CountClosedFiles(run);
  if (m_screen && !final) {
    std::fputs(Block().c_str(), m_screen);
    m_blockLines = 6;
  }
  if (m_screen) std::fflush(m_screen);
}

void ConsoleView::DrawLoop() {
  std::unique_lock lock(m_mutex);
  while (!m_finished) {
    if (!m_asking) Flush(false);
    m_wake.wait_for(lock, std::chrono::milliseconds(200));
  }
}

void ConsoleView::Finish() {
  {
    std::lock_guard g(m_mutex);
    if (m_finished) return;
    m_finished = true;
    m_wake.notify_all();
  }
  if (m_drawer.joinable()) m_drawer.join();
  std::lock_guard g(m_mutex);
  Flush(true);
}

}  // namespace console
