#include "shell/console_view.h"

#include <unistd.h>

#include <QImageReader>
#include <chrono>
#include <iostream>

namespace {

constexpr int kCheckSize = 200;

// The logs are written with "\r\n"; a terminal wants "\n".
std::string Unix(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

std::string Bar(int64_t pos, int64_t high, int width) {
  const int64_t filled = high > 0 ? std::min<int64_t>(width, pos * width / high) : 0;
  return std::string(size_t(filled), '#') + std::string(size_t(width - filled), '.');
}

}  // namespace

ConsoleView::ConsoleView(std::FILE* out, bool liveBlock) : m_out(out), m_live(liveBlock) {
  // Loads the image plugins once, here, rather than lazily in several workers at once.
  QImageReader::supportedImageFormats();
}

void ConsoleView::Start(const RunLogs& logs, std::function<std::filesystem::path()> projectFolder) {
  m_logs = &logs;
  m_projectFolder = std::move(projectFolder);
  m_drawer = std::thread([this] { DrawLoop(); });
}

ConsoleView::~ConsoleView() { Finish(); }

void ConsoleView::SetWorkerLabel(int worker, const std::string& text) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].label = text;
}

void ConsoleView::SetProgressRange(int worker, int64_t high) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].high = high;
}

void ConsoleView::SetProgressPos(int worker, int64_t pos) {
  std::lock_guard g(m_mutex);
  Row& row = m_rows[size_t(worker)];
  row.pos = pos;
  if (pos == 0) {
    row.steps = 0;
    row.high = 100;
  }
}

void ConsoleView::StepProgress(int worker) {
  std::lock_guard g(m_mutex);
  Row& row = m_rows[size_t(worker)];
  row.steps += 1;
  row.pos = (row.pos + 10) % (row.high + 1);  // a bar without a length wraps
}

void ConsoleView::FillProgress(int worker) {
  std::lock_guard g(m_mutex);
  m_rows[size_t(worker)].pos = m_rows[size_t(worker)].high;
}

void ConsoleView::ClearPictures() {
  std::lock_guard g(m_mutex);
  m_pictures = 0;
}

// Counts a stored file only when it decodes as a picture; decoding runs on
// the worker's thread, as QImage allows.
void ConsoleView::AddPicture(const std::string& path, const std::string&) {
  const std::filesystem::path full = m_projectFolder ? m_projectFolder() / path : std::filesystem::path(path);
  QImageReader reader(QString::fromStdString(full.string()));
  // Decoding at thumbnail size is enough to know it is a picture, and far
  // cheaper for large JPEGs, which libjpeg scales while decoding.
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kCheckSize || size.height() > kCheckSize))
    reader.setScaledSize(size.scaled(kCheckSize, kCheckSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
  if (reader.read().isNull()) return;
  std::lock_guard g(m_mutex);
  ++m_pictures;
}

int ConsoleView::Pictures() const {
  std::lock_guard g(m_mutex);
  return m_pictures;
}

bool ConsoleView::Ask(Question question, const std::string& text) {
  switch (question) {
    case Question::ContinueDownload:
      if (m_resumeAnswer) return *m_resumeAnswer;
      return AskOnTerminal(text);
    case Question::Suggestion:
      return AskOnTerminal(text);
    case Question::ViewFiles:
      return false;  // the end message is printed by the front end
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
  for (size_t k = 0; k < m_rows.size(); ++k) {
    const Row& r = m_rows[k];
    std::string label = r.label.substr(0, 50);
    for (char& c : label)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    char line[160];
    std::snprintf(line, sizeof line, "[%zu] %-50s %s\n", k + 1, label.c_str(), Bar(r.pos, r.high, 20).c_str());
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
  if (!m_logs) return;
  const std::string run = m_logs->RunText(m_runPrinted);
  const std::string titles = m_logs->TitleText(m_titlePrinted);
  m_runPrinted += run.size();
  m_titlePrinted += titles.size();
  std::fputs(Unix(titles).c_str(), m_out);
  std::fputs(Unix(run).c_str(), m_out);
  if (m_live && !final) {
    const std::string block = Block();
    std::fputs(block.c_str(), m_out);
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
