#include "console/console_view.h"

#include <unistd.h>

#include <chrono>
#include <iostream>

#include "platform/picture_decoder.h"

namespace shell {

namespace {

// A terminal ends lines with "\n".
std::string Lines(const engine::LogText& log) {
  std::string out;
  if (log.dropped > 0) out = "(" + std::to_string(log.dropped) + " lines not kept)\n";
  for (const std::string& line : log.lines) out += line + "\n";
  return out;
}

std::string Bar(const engine::WorkerRow& row, int width) {
  const int64_t filled = row.high > 0 ? std::min<int64_t>(width, row.pos * width / row.high) : 0;
  return std::string(size_t(filled), '#') + std::string(size_t(width - filled), '.');
}

}  // namespace

ConsoleView::ConsoleView(std::FILE* out, bool liveBlock) : m_out(out), m_live(liveBlock) {}

void ConsoleView::Start(const engine::DownloadEngine& engine) {
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
  const QSize size = platform::ProbePicture(picture.file);
  if (size.isEmpty() || qint64(size.width()) * size.height() > platform::kMaxPicturePixels) return;
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
    std::fprintf(m_out, "%s [y/N] ", text.c_str());
    std::fflush(m_out);
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
  std::fprintf(stderr, "%s\n", text.c_str());
}

std::string ConsoleView::Block() const {
  std::string block;
  const auto rows = m_engine->Rows();
  for (size_t k = 0; k < rows.size(); ++k) {
    std::string label = rows[k].label.substr(0, 50);
    for (char& c : label)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    char line[160];
    std::snprintf(line, sizeof line, "[%zu] %-50s %s\n", k + 1, label.c_str(), Bar(rows[k], 20).c_str());
    block += line;
  }
  block += "pictures: " + std::to_string(m_pictures) + "\n";
  return block;
}

// With m_mutex held: takes the block off the screen, prints what the logs
// gained, and draws the block again.
void ConsoleView::Flush(bool final) {
  if (m_live && m_blockLines > 0) std::fprintf(m_out, "\x1b[%dF\x1b[J", m_blockLines);
  m_blockLines = 0;
  if (!m_engine) return;
  const engine::LogText titles = m_engine->ReadTitleLog(m_titleCursor);
  const engine::LogText run = m_engine->ReadRunLog(m_runCursor);
  std::fputs(Lines(titles).c_str(), m_out);
  std::fputs(Lines(run).c_str(), m_out);
  if (m_live && !final) {
    std::fputs(Block().c_str(), m_out);
    m_blockLines = 6;
  }
  std::fflush(m_out);
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

}  // namespace shell
