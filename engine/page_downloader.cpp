#include "engine/page_downloader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <new>

#include "links/address.h"
#include "links/ascii.h"
#include "links/link_mapping.h"

namespace fs = std::filesystem;

namespace {

uint64_t TickMs() {
  using namespace std::chrono;
  return uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string ShownAddress(const std::string& address) {
  return address.empty() ? "index.htm" : address;
}

// Inserts "(n)" before the last "." of `name`, or appends it.
std::string NumberedName(const std::string& name, int n) {
  const std::string number = "(" + std::to_string(n) + ")";
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return name + number;
  return name.substr(0, dot) + number + name.substr(dot);
}

}  // namespace

CPageDownloader::CPageDownloader(CDownloadProject* project, int index, const RunContext& context,
                                 platform::HttpSession& session)
    : m_pProject(project), m_index(index), m_context(context), m_session(session) {}

CPageDownloader::~CPageDownloader() {
  if (m_pFile) std::fclose(m_pFile);
}

void CPageDownloader::LogLine(const std::string& line) {
  m_context.logs.AppendRun(line);
  m_context.view.RefreshRunLog();
}

int CPageDownloader::FetchFile(const std::string& address, int index) {
  platform::HttpTarget target;
  std::string shown = address;        // stands for the address in the logs and the page directory
  std::string otherSiteName;          // file name of an other-site address
  std::string otherHost;
  const size_t marker = address.find(kOtherSiteMarker);
  if (marker != std::string::npos) {
    const std::string full = address.substr(marker + 1);
    auto parsed = links::SplitAddress(full);
    if (!parsed) return 1;
    target = {parsed->secure, parsed->host, parsed->port, parsed->object};
    otherHost = parsed->host;
    shown = parsed->object;
    otherSiteName = full.substr(full.rfind('/') + 1);
  } else {
    target = {m_pProject->m_secure, m_pProject->m_host, m_pProject->m_port, "/" + address};
  }

  const std::string thread = m_pProject->m_showThread ? ", thread:" + std::to_string(m_index) : "";
  LogLine("-------------" + std::to_string(index) + ":" + ShownAddress(shown) + thread + "...\r\n");

  const size_t slash = shown.rfind('/');
  m_pageDir = slash == std::string::npos ? std::string() : shown.substr(0, slash);

  m_body.clear();
  m_received = 0;
  m_context.view.SetProgressPos(m_index, 0);
  m_startTick = TickMs();  // replaced by the moment of the answer

  PageCache* pages = m_context.pages;
  const std::string requestUrl = pages ? platform::RequestUrl(target) : std::string();
  const auto cached = pages ? pages->FindOrClaim(requestUrl) : nullptr;
  const platform::HttpOutcome outcome = cached ? Replay(*cached) : m_session.Get(target, *this);
  if (pages && !cached)
    pages->Finish(requestUrl, outcome == platform::HttpOutcome::Completed && m_isText, m_head, m_body);
  if (outcome == platform::HttpOutcome::NoRequest) return 2;

  // A body exists once the read loop was reached and ended by itself or by
  // Cancel or Stop, or when a network error cut it after some bytes.
  const bool completed = outcome == platform::HttpOutcome::Completed;
  const bool cancelled = m_ending == Ending::Cancelled;
  const bool stopped = m_ending == Ending::Stopped;
  const bool networkError = outcome == platform::HttpOutcome::NetworkError;
  const bool bodyExists = completed || cancelled || stopped || (networkError && !m_body.empty());
  const int64_t bodyBytes = int64_t(m_body.size());

  std::string outputName;
  if (completed || cancelled || stopped) {
    m_received = bodyBytes + 1;  // the zero byte the handlers rely on
    std::string localPath;
    MapLink(otherSiteName.empty() ? shown : otherSiteName, localPath, true, m_isText != 0, false, false);
    if (index == 0) {
      std::lock_guard guard(m_pProject->m_lock);
      m_pProject->m_startPagePath = localPath;
    }
    if (stopped) {
      m_pProject->PutBack(index);
    } else if (!cancelled) {
      const bool quorvash = m_context.program.IsQuorvash();
      if (!quorvash && !m_isText) {
        const size_t last = localPath.rfind('/');
        outputName = OpenOutputFile(last == std::string::npos ? localPath : localPath.substr(last + 1));
      } else if (quorvash && (!m_isText || m_pProject->m_text)) {
        outputName = OpenOutputFile(localPath);
      }
    }
  }

  m_context.view.FillProgress(m_index);
  const uint64_t seconds = (TickMs() - m_startTick) / 1000;
  LogLine("-------------" + std::to_string(index) + ":(" + std::to_string(bodyBytes) + " bytes, " +
          std::to_string(seconds) + " seconds)----------\r\n");

  if (bodyExists) {
    if (!cancelled && !stopped && m_context.program.pageHandler)
      m_context.program.pageHandler->HandlePage(*this, m_body, index);
    m_context.view.RefreshRunLog();
    std::string().swap(m_body);
    if (m_pFile) CloseOutputFile(outputName, otherHost);
  }
  return 0;
}

// A page from the run's cache goes through the same steps as one from the
// network, so logs, filters and progress are the same.
platform::HttpOutcome CPageDownloader::Replay(const CachedPage& page) {
  if (!OnHead(page.head)) return platform::HttpOutcome::Abandoned;
  for (size_t at = 0; at < page.body.size(); at += 1024) {
    if (!OnChunk(page.body.data() + at, std::min<size_t>(1024, page.body.size() - at)))
      return platform::HttpOutcome::Abandoned;
  }
  return platform::HttpOutcome::Completed;
}

bool CPageDownloader::OnHead(const platform::HttpHead& head) {
  m_startTick = TickMs();
  m_head = head;
  if (head.status < 200 || head.status > 299) {
    m_ending = Ending::Refused;
    return false;
  }
  m_announced = head.contentLength;
  const int64_t limit = int64_t(m_pProject->m_fileSizeKB) * 1024;
  if (m_pProject->m_fileSizeKB > 0 && m_announced > limit) {
    m_ending = Ending::Refused;
    return false;
  }
  if (m_announced != 0) {
    m_context.view.SetProgressRange(m_index, m_announced);
    // One allocation for the body instead of many growing copies.
    try {
      m_body.reserve(size_t(std::min<int64_t>(m_announced, int64_t(256) << 20)));
    } catch (const std::bad_alloc&) {
    }
  }

  const std::string& type = head.contentType;
  const bool image = type.compare(0, 6, "image/") == 0;
  if (type.compare(0, 5, "text/") == 0) {
    m_isText = 1;
  } else {
    m_isText = 0;
    if ((m_pProject->m_image && !image) || (m_pProject->m_others && image)) {
      m_ending = Ending::Refused;
      return false;
    }
  }
  return true;
}

bool CPageDownloader::OnChunk(const char* data, size_t size) {
  const bool first = m_body.empty() && m_received == 0;
  try {
    m_body.append(data, size);
  } catch (const std::bad_alloc&) {
    // A body that cannot be held is dropped; the worker goes on.
    std::string().swap(m_body);
    m_ending = Ending::Dropped;
    return false;
  }
  if (first) CaptureTitle(std::string_view(data, size));
  m_received += int64_t(size);
  if (m_announced != 0)
    m_context.view.SetProgressPos(m_index, m_received);
  else
    m_context.view.StepProgress(m_index);

  // "file size" holds for every body, also one that announced less or nothing.
  if (m_pProject->m_fileSizeKB > 0 && m_received > int64_t(m_pProject->m_fileSizeKB) * 1024) {
    std::string().swap(m_body);
    m_ending = Ending::Dropped;
    return false;
  }
  return !ShouldAbort();
}

bool CPageDownloader::ShouldAbort() {
  // Every announced byte has arrived: the file is complete, and a Stop now
  // would only make the next run fetch it again.
  if (m_announced > 0 && m_received >= m_announced) return false;
  if (m_context.signals.CancelSet(m_index)) {
    m_ending = Ending::Cancelled;
    return true;
  }
  if (m_context.signals.StopSet()) {
    m_ending = Ending::Stopped;
    return true;
  }
  return false;
}

void CPageDownloader::CaptureTitle(std::string_view chunk) {
  chunk = chunk.substr(0, chunk.find('\0'));
  const size_t open = links::FindNoCase(chunk, "<title>");
  if (open == std::string_view::npos) return;
  const size_t start = open + 7;
  const size_t close = links::FindNoCase(chunk, "</title>", start);
  if (close == std::string_view::npos) return;
  m_context.logs.AppendTitle(std::string(chunk.substr(start, close - start)) + "\r\n");
  m_context.view.RefreshTitleLog();
}

void CPageDownloader::AddLink(const std::string& link, int kind) {
  const auto added = m_pProject->AddLink(link, kind);
  if (added && m_pProject->m_showLink)
    m_context.logs.AppendRun(std::to_string(*added) + ":" + link + "\r\n");
}

void CPageDownloader::ResolveLink(std::string& link, bool root, bool otherSite) const {
  links::ResolveLink(link, root, otherSite, m_pageDir);
}

int CPageDownloader::MapLink(std::string_view link, std::string& out, bool fileMode, bool suffix,
                             bool root, bool otherSite) {
  if (!fileMode) {
    out = std::string(link);
    return links::TestDirectoryLevel(link, root, otherSite, m_pageDir, m_pProject->m_level);
  }
  out = links::MapLocalPath(link, suffix);
  return 0;
}

int CPageDownloader::EnsureDirectories(std::string_view localPath) {
  const size_t slash = localPath.rfind('/');
  if (slash == std::string_view::npos) return 1;
  std::error_code ec;
  fs::create_directories(m_context.projectFolder / std::string(localPath.substr(0, slash)), ec);
  return 0;
}

// Creates the output file under the first free name of the "(n)" rule. The
// name is claimed with O_EXCL, so two workers never write the same file.
std::string CPageDownloader::OpenOutputFile(const std::string& localPath) {
  if (m_context.program.IsQuorvash()) EnsureDirectories(localPath);
  for (int n = 0; n < 100000; ++n) {
    const std::string name = n == 0 ? localPath : NumberedName(localPath, n);
    const fs::path path = m_context.projectFolder / name;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) continue;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return {};  // cannot be created: nothing is stored, no message
    }
    m_pFile = ::fdopen(fd, "wb");
    if (!m_pFile) {
      ::close(fd);
      ::unlink(path.c_str());
      return {};
    }
    m_outputPath = path.string();
    m_writeFailed = false;
    return name;
  }
  return {};
}

void CPageDownloader::WriteBody(const std::string& body) {
  if (!m_pFile) return;
  if (!body.empty() && std::fwrite(body.data(), 1, body.size(), m_pFile) != body.size())
    m_writeFailed = true;
}

// A file that could not be written whole (a full disk) is removed rather
// than left half-written, and is not shown.
void CPageDownloader::CloseOutputFile(const std::string& outputName, const std::string& otherHost) {
  if (std::fclose(m_pFile) != 0) m_writeFailed = true;
  m_pFile = nullptr;
  if (m_writeFailed) {
    ::unlink(m_outputPath.c_str());
    return;
  }
  if (!m_isText)
    m_context.view.AddPicture(outputName, m_context.program.IsQuorvash() ? otherHost : std::string());
}
