#include "engine/file_fetcher.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "engine/polite_fetch.h"
#include "links/ascii.h"

namespace engine {

uint64_t TickMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

platform::HttpOutcome FileFetcher::Fetch(platform::HttpSession& session, const platform::HttpTarget& target) {
  m_startTick = TickMs();  // replaced by the moment of the answer
  platform::HttpResume resume;
  if (m_run.store && !m_url.empty()) m_part = FindPart(m_run.store->FolderFd(), m_url);
  if (m_part) resume = {m_part->size, m_part->validator};
  const platform::HttpOutcome outcome = session.Get(target, *this, resume);
  // A body cut short stays for the next try to continue.
  if (m_file && (outcome == platform::HttpOutcome::NetworkError ||
                 (outcome == platform::HttpOutcome::Abandoned &&
                  (m_ending == Ending::Stopped || m_ending == Ending::Cancelled))))
    m_file->Keep();
  return outcome;
}

void FileFetcher::Interrupted() {
  m_ending = m_run.signals.CancelSet(m_worker) ? Ending::Cancelled : Ending::Stopped;
}

std::unique_ptr<PendingFile> FileFetcher::BeginFile(const platform::HttpHead& head) {
  FileStore& store = *m_run.store;
  if (m_isText || m_url.empty()) return store.Begin(m_storeError);
  if (head.status == 206) return store.BeginPart(m_url, m_resumedFrom, {}, m_storeError);
  const std::string validator = PartValidator(head.etag, head.lastModified);
  if (!validator.empty()) return store.BeginPart(m_url, 0, validator, m_storeError);
  // Without a validator nothing could be continued safely.
  if (m_part) ForgetPart(store.FolderFd(), m_url);
  return store.Begin(m_storeError);
}

platform::HttpOutcome FileFetcher::Replay(const CachedAnswer& answer) {
  m_startTick = TickMs();
  if (!OnHead(answer.head)) return platform::HttpOutcome::Refused;
  const std::string& body = answer.body;
  for (size_t at = 0; at < body.size(); at += 1024) {
    if (!OnChunk(body.data() + at, std::min<size_t>(1024, body.size() - at)))
      return platform::HttpOutcome::Abandoned;
  }
  return platform::HttpOutcome::Completed;
}

bool FileFetcher::WillStore() const {
  if (!m_isText) return true;
  // Pages are scanned; a program that keeps them stores them too.
  return m_run.program.keepsTextPages && m_run.switches.text;
}

bool FileFetcher::OnHead(const platform::HttpHead& head) {
  m_startTick = TickMs();
  m_head = head;
  m_headSeen = true;
  if (IsErrorStatus(head.status)) {
    m_ending = Ending::Refused;
    return false;
  }
  m_announced = head.contentLength;
  if (head.status == 206) {
    // Only the rest of the part asked for continues it; anything else
    // makes the next try start over.
    if (!m_part || head.rangeStart != m_part->size || !m_run.store) {
      if (m_run.store) ForgetPart(m_run.store->FolderFd(), m_url);
      m_ending = Ending::Refused;
      return false;
    }
    m_resumedFrom = m_part->size;
    m_received = m_resumedFrom;
    if (m_announced > 0) m_announced += m_resumedFrom;
  }
  const int64_t limit = m_run.switches.FileSizeLimit();
  if (limit > 0 && m_announced > limit) {
    m_ending = Ending::Refused;
    return false;
  }
  if (m_announced != 0) m_run.rows.SetRange(m_worker, m_announced);

  const std::string& type = head.contentType;
  const bool image = type.compare(0, 6, "image/") == 0;
  m_isText = type.compare(0, 5, "text/") == 0;
  if (!m_isText && ((m_run.switches.image && !image) || (m_run.switches.others && image))) {
    m_ending = Ending::Refused;
    return false;
  }
  if (m_isText && m_announced > 0) m_body.reserve(size_t(std::min(m_announced, kMaxPageBytes)));
  if (m_resumedFrom > 0 && m_isText) {
    ForgetPart(m_run.store->FolderFd(), m_url);
    m_ending = Ending::Refused;
    return false;
  }
  if (WillStore() && m_run.store) {
    m_file = BeginFile(head);
    // Nothing could keep the file: fetching it would be for nothing.
    if (!m_file) {
      m_ending = Ending::NotWritable;
      return false;
    }
  }
  return true;
}

bool FileFetcher::OnChunk(const char* data, size_t size) {
  if (m_received == 0 && m_resumedFrom == 0) CaptureTitle(std::string_view(data, size));
  m_received += int64_t(size);
  if (m_announced != 0)
    m_run.rows.SetPos(m_worker, m_received);
  else
    m_run.rows.Step(m_worker);

  // "file size" holds for every body, also one that announced less or nothing.
  const int64_t limit = m_run.switches.FileSizeLimit();
  if (limit > 0 && m_received > limit) {
    m_ending = Ending::Dropped;
    return false;
  }
  if (m_isText) {
    if (int64_t(m_body.size() + size) > kMaxPageBytes) {
      m_ending = Ending::PageTooLong;
      return false;
    }
    m_body.append(data, size);
  }
  if (m_file && !m_file->Write(data, size)) {
    m_storeError = std::strerror(m_file->Error());
    m_ending = Ending::NotWritable;
    return false;
  }
  // "rate" holds the whole run's bytes; Stop and Cancel end its wait.
  if (m_run.polite && m_run.polite->LimitsRate() && !m_run.polite->AwaitBytes(size, m_run.signals, m_worker)) {
    Interrupted();
    return false;
  }
  return !ShouldAbort();
}

bool FileFetcher::ShouldAbort() {
  // Every announced byte has arrived: the file is complete, and a Stop now
  // would only make the next run fetch it again.
  if (m_announced > 0 && m_received >= m_announced) return false;
  if (m_run.signals.CancelSet(m_worker)) {
    m_ending = Ending::Cancelled;
    return true;
  }
  if (m_run.signals.StopSet()) {
    m_ending = Ending::Stopped;
    return true;
  }
  return false;
}

void FileFetcher::CaptureTitle(std::string_view chunk) {
  chunk = chunk.substr(0, chunk.find('\0'));
  const size_t open = links::FindNoCase(chunk, "<title>");
  if (open == std::string_view::npos) return;
  const size_t start = open + 7;
  const size_t close = links::FindNoCase(chunk, "</title>", start);
  if (close == std::string_view::npos) return;
  m_run.logs.AppendTitle(std::string(chunk.substr(start, close - start)) + "\r\n");
}

}  // namespace engine
