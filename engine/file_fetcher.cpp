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

ReceiveRules ReceiveRulesFor(const Program& program, const RunSwitches& switches) {
  // Pages are scanned; a program that keeps them stores them too.
  return {switches.FileSizeLimit(), program.keepsTextPages && switches.text, switches.image, switches.others};
}

Received FileFetcher::Fetch(platform::HttpSession& session, const platform::HttpTarget& target) {
  m_got.startTick = TickMs();  // replaced by the moment of the answer
  platform::HttpResume resume;
  if (m_in.store && !m_url.empty() && m_in.store->MayHoldParts()) m_part = FindPart(m_in.store->FolderFd(), m_url);
  if (m_part) resume = {m_part->size, m_part->validator};
  m_got.http = session.Get(target, *this, resume);
  if (m_got.http == platform::HttpOutcome::NetworkError) {
    m_got.networkError = session.LastError();
    m_got.transientError = session.LastErrorTransient();
  }
  // A body cut short stays for the next try to continue.
  if (m_got.file && (m_got.http == platform::HttpOutcome::NetworkError ||
                     (m_got.http == platform::HttpOutcome::Abandoned &&
                      (m_got.ending == Ending::Stopped || m_got.ending == Ending::Cancelled))))
    m_got.file->Keep();
  return std::move(m_got);
}

void Interrupted(Received& got, const RunSignals& signals, int worker, uint64_t cancelsSeen) {
  got.http = platform::HttpOutcome::Abandoned;
  got.ending = signals.Cancels(worker) != cancelsSeen ? Ending::Cancelled : Ending::Stopped;
}

std::unique_ptr<PendingFile> FileFetcher::BeginFile(const platform::HttpHead& head) {
  FileStore& store = *m_in.store;
  if (m_got.isText || m_url.empty()) return store.Begin(m_got.writeError);
  if (head.status == 206) return store.BeginPart(m_url, m_got.resumedFrom, {}, m_got.writeError);
  const std::string validator = PartValidator(head.etag, head.lastModified);
  if (!validator.empty()) return store.BeginPart(m_url, 0, validator, m_got.writeError);
  // Without a validator nothing could be continued safely.
  if (m_part) ForgetPart(store.FolderFd(), m_url);
  return store.Begin(m_got.writeError);
}

Received FileFetcher::Replay(const CachedAnswer& answer) {
  m_got.startTick = TickMs();
  m_got.http = platform::HttpOutcome::Completed;
  if (!OnHead(answer.head)) {
    m_got.http = platform::HttpOutcome::Refused;
    return std::move(m_got);
  }
  const std::string& body = answer.body;
  const size_t size = body.size() + (m_got.file ? 0 : answer.skipped);
  for (size_t at = 0; at < size; at += 1024) {
    const size_t piece = std::min<size_t>(1024, size - at);
    if (!OnChunk(at + piece <= body.size() ? body.data() + at : nullptr, piece)) {
      m_got.http = platform::HttpOutcome::Abandoned;
      break;
    }
  }
  return std::move(m_got);
}

bool FileFetcher::WillStore() const {
  if (!m_got.isText) return true;
  return m_in.rules.storesPages;
}

bool FileFetcher::OnHead(const platform::HttpHead& head) {
  m_got.startTick = TickMs();
  m_got.head = head;
  m_got.headSeen = true;
  // A part that a kill left whole (or longer than the file now is) gets 416:
  // without this the picture would be done and never stored.
  if (head.status == 416 && m_part && m_in.store) {
    ForgetPart(m_in.store->FolderFd(), m_url);
    m_got.partDropped = true;
  }
  if (IsErrorStatus(head.status)) {
    m_got.ending = Ending::Refused;
    return false;
  }
  m_announced = head.contentLength;
  if (head.status == 206) {
    // Only the rest of the part asked for continues it; anything else
    // makes the next try start over.
    if (!m_part || head.rangeStart != m_part->size || !m_in.store) {
      if (m_in.store) ForgetPart(m_in.store->FolderFd(), m_url);
      m_got.ending = Ending::Refused;
      return false;
    }
    m_got.resumedFrom = m_part->size;
    m_got.bytes = m_got.resumedFrom;
    if (m_announced > 0) m_announced += m_got.resumedFrom;
  }
  const int64_t limit = m_in.rules.fileSizeLimit;
  if (limit > 0 && m_announced > limit) {
    m_got.ending = Ending::Refused;
    return false;
  }
  if (m_announced != 0) m_lane.rows.SetRange(m_lane.worker, m_announced);

  const std::string& type = head.contentType;
  const bool image = links::StartsWithNoCase(type, "image/");
  m_got.isText = links::StartsWithNoCase(type, "text/");
  if (!m_got.isText && ((m_in.rules.onlyPictures && !image) || (m_in.rules.noPictures && image))) {
    m_got.ending = Ending::Refused;
    return false;
  }
  if (m_got.isText && m_announced > 0) m_got.body.reserve(size_t(std::min(m_announced, kMaxPageBytes)));
  if (m_got.resumedFrom > 0 && m_got.isText) {
    ForgetPart(m_in.store->FolderFd(), m_url);
    m_got.ending = Ending::Refused;
    return false;
  }
  if (WillStore() && m_in.store) {
    m_got.file = BeginFile(head);
    // Nothing could keep the file: fetching it would be for nothing.
    if (!m_got.file) {
      m_got.ending = Ending::NotWritable;
      return false;
    }
  }
  return true;
}

bool FileFetcher::OnChunk(const char* data, size_t size) {
  // No data: bytes of a kept page that is not read again, only counted.
  if (m_got.bytes == 0 && data) CaptureTitle(std::string_view(data, size));
  m_got.bytes += int64_t(size);
  if (m_announced != 0)
    m_lane.rows.SetPos(m_lane.worker, m_got.bytes);
  else
    m_lane.rows.Step(m_lane.worker);

  // "file size" holds for every body, also one that announced less or nothing.
  const int64_t limit = m_in.rules.fileSizeLimit;
  if (limit > 0 && m_got.bytes > limit) {
    m_got.ending = Ending::Dropped;
    return false;
  }
  if (m_got.isText && data) {
    if (int64_t(m_got.body.size() + size) > kMaxPageBytes) {
      m_got.ending = Ending::PageTooLong;
      return false;
    }
    m_got.body.append(data, size);
  }
  if (m_got.file && data && !m_got.file->Write(data, size)) {
    m_got.writeError = std::strerror(m_got.file->Error());
    m_got.ending = Ending::NotWritable;
    return false;
  }
  // "rate" holds the whole run's bytes; Stop and Cancel end its wait.
  if (m_in.polite && m_in.polite->LimitsRate() &&
      !m_in.polite->AwaitBytes(size, m_lane.signals, m_lane.worker, m_cancelsSeen)) {
    Interrupted(m_got, m_lane.signals, m_lane.worker, m_cancelsSeen);
    return false;
  }
  return !ShouldAbort();
}

bool FileFetcher::ShouldAbort() {
  // Every announced byte has arrived: the file is complete, and a Stop now
  // would only make the next run fetch it again.
  if (m_announced > 0 && m_got.bytes >= m_announced) return false;
  if (m_lane.signals.Cancels(m_lane.worker) != m_cancelsSeen) {
    m_got.ending = Ending::Cancelled;
    return true;
  }
  if (m_lane.signals.StopSet()) {
    m_got.ending = Ending::Stopped;
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
  m_in.logs.AppendTitle(std::string(chunk.substr(start, close - start)));
}

}  // namespace engine
