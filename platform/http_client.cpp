#include "platform/http_client.h"

#include <curl/curl.h>
#include <curl/header.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "platform/request_target.h"

namespace platform {

void HttpGlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

std::optional<std::time_t> ParseHttpDate(const std::string& text) {
  const time_t t = curl_getdate(text.c_str(), nullptr);
  if (t == time_t(-1)) return std::nullopt;
  return t;
}

namespace {

// A name whose last label begins with a letter, or four decimal numbers
// written as libcurl writes them: it rewrites other numeric hosts ("127.1").
bool PlainHost(std::string_view host) {
  if (host.empty()) return false;
  for (const char c : host)
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-')) return false;
  const size_t last = host.rfind('.') + 1;  // 0 without a dot
  if (last < host.size() && host[last] >= 'a' && host[last] <= 'z') return true;
  int parts = 0;
  for (size_t at = 0; at <= host.size(); ++parts) {
    size_t end = std::min(host.find('.', at), host.size());
    const std::string_view part = host.substr(at, end - at);
    if (part.empty() || part.size() > 3 || (part.size() > 1 && part[0] == '0') ||
        part.find_first_not_of("0123456789") != std::string_view::npos || std::stoi(std::string(part)) > 255)
      return false;
    at = end + 1;
  }
  return parts == 4;
}

bool LeftAsItIs(std::string_view host, std::string_view object) {
  if (!PlainHost(host)) return false;
  // "/." may begin a dot segment; "%2e" spells a dot too.
  for (size_t at = object.find('.'); at != std::string_view::npos; at = object.find('.', at + 1))
    if (at > 0 && object[at - 1] == '/') return false;
  for (size_t at = object.find('%'); at != std::string_view::npos; at = object.find('%', at + 1))
    if (at + 2 < object.size() && object[at + 1] == '2' && (object[at + 2] | 0x20) == 'e') return false;
  return true;
}

}  // namespace

std::string RequestUrl(const HttpTarget& target) {
  // A worker names each target twice, for its part and for its request: the
  // second time it is this thread's last one, and libcurl's parser is spared.
  thread_local HttpTarget lastTarget;
  thread_local std::string lastUrl;
  if (!lastUrl.empty() && target.port == lastTarget.port && target.secure == lastTarget.secure &&
      target.object == lastTarget.object && target.host == lastTarget.host)
    return lastUrl;
  // The fragment is never sent.
  std::string object = target.object.substr(0, target.object.find('#'));
  if (object.empty() || object.front() != '/') object.insert(0, "/");
  const bool ipv6 = target.host.find(':') != std::string::npos;
  const bool defaultPort = target.port == (target.secure ? 443 : 80);
  std::string url = std::string(target.secure ? "https://" : "http://") +
                    (ipv6 ? "[" + target.host + "]" : target.host) +
                    (defaultPort ? std::string() : ":" + std::to_string(target.port)) +
                    EncodeRequestTarget(object);
  // Let libcurl's own parser say what it will send, unless the address is
  // one it leaves as it is: a plain lower-case host and no dot segment.
  CURLU* u = LeftAsItIs(target.host, object) ? nullptr : curl_url();
  if (u) {
    char* normal = nullptr;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_URL, &normal, 0) == CURLUE_OK) {
      url = normal;
      curl_free(normal);
    }
    curl_url_cleanup(u);
  }
  lastTarget = target;
  lastUrl = url;
  return url;
}

struct HttpSession::Transfer {
  static constexpr size_t kReadSize = 1024;
  // A refused body up to this size is read to its end, so the connection
  // stays open for the next file instead of costing a new one.
  static constexpr int64_t kDrainLimit = 64 * 1024;

  CURL* curl;
  HttpReceiver& receiver;
  bool ownRedirects = false;  // a 3xx is followed by Get, not by libcurl
  std::string redirectTo{};
  bool headDelivered = false;
  bool refused = false;
  bool abandoned = false;
  int64_t drained = 0;
  std::string pending{};  // fewer than kReadSize bytes not yet handed on

  bool DeliverHead() {
    headDelivered = true;
    HttpHead head;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &head.status);
    curl_off_t length = -1;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    head.lengthKnown = length >= 0;
    head.contentLength = length > 0 ? int64_t(length) : 0;
    const char* type = nullptr;
    curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type);
    if (type) head.contentType = type;
    head.etag = Header("ETag");
    head.lastModified = Header("Last-Modified");
    head.retryAfter = Header("Retry-After");
    if (head.status == 206) head.rangeStart = RangeStart(Header("Content-Range"));
    if (ownRedirects && head.status >= 300 && head.status <= 399) {
      const std::string location = Header("Location");
      const char* base = nullptr;
      curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &base);
      if (!location.empty() && base) {
        redirectTo = Resolve(base, location);
        if (!redirectTo.empty()) {
          refused = true;  // read to its end, not handed on
          return true;
        }
      }
    }
    if (receiver.OnHead(head)) return true;
    refused = true;
    // Too large to read for nothing: give the connection up instead.
    if (head.lengthKnown && head.contentLength > kDrainLimit) return false;
    return true;
  }

  std::string Header(const char* name) const {
    curl_header* h = nullptr;
    if (curl_easy_header(curl, name, 0, CURLH_HEADER, -1, &h) != CURLHE_OK || !h || !h->value) return {};
    return h->value;
  }

  // `location` read against `base`; empty when it is no address.
  static std::string Resolve(const char* base, const std::string& location) {
    std::string out;
    if (CURLU* u = curl_url()) {
      char* full = nullptr;
      if (curl_url_set(u, CURLUPART_URL, base, 0) == CURLUE_OK &&
          curl_url_set(u, CURLUPART_URL, location.c_str(), 0) == CURLUE_OK &&
          curl_url_get(u, CURLUPART_URL, &full, 0) == CURLUE_OK) {
        out = full;
        curl_free(full);
      }
      curl_url_cleanup(u);
    }
    return out;
  }

  // "bytes 100-199/200" -> 100.
  static int64_t RangeStart(const std::string& value) {
    if (value.compare(0, 6, "bytes ") != 0) return -1;
    char* end = nullptr;
    const long long from = std::strtoll(value.c_str() + 6, &end, 10);
    return end != value.c_str() + 6 && *end == '-' && from >= 0 ? int64_t(from) : -1;
  }

  bool Hand(const char* data, size_t size) {
    if (receiver.OnChunk(data, size)) return true;
    abandoned = true;
    return false;
  }

  bool FlushPending() {
    if (pending.empty() || refused) return true;
    const bool ok = Hand(pending.data(), pending.size());
    pending.clear();
    return ok;
  }

  // Hands the body on in reads of exactly 1024 bytes (the last one shorter),
  // whatever sizes the network delivers: the first read is where a page's
  // title is looked for, and every read is where Cancel and Stop are seen.
  static size_t OnWrite(char* data, size_t, size_t size, void* self) {
    auto* t = static_cast<Transfer*>(self);
    if (!t->headDelivered && !t->DeliverHead()) return CURL_WRITEFUNC_ERROR;
    if (t->refused) {
      t->drained += int64_t(size);
      return t->drained > kDrainLimit ? CURL_WRITEFUNC_ERROR : size;
    }
    size_t at = 0;
    if (!t->pending.empty()) {
      const size_t take = std::min(kReadSize - t->pending.size(), size);
      t->pending.append(data, take);
      at = take;
      if (t->pending.size() < kReadSize) return size;
      if (!t->FlushPending()) return CURL_WRITEFUNC_ERROR;
    }
    // Whole reads straight from libcurl's buffer; only a tail is copied.
    for (; size - at >= kReadSize; at += kReadSize)
      if (!t->Hand(data + at, kReadSize)) return CURL_WRITEFUNC_ERROR;
    t->pending.assign(data + at, size - at);
    return size;
  }

  static int OnProgress(void* self, curl_off_t dltotal, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* t = static_cast<Transfer*>(self);
    if (t->refused) return 0;
    // The whole announced body is here; it is handed on as the transfer ends.
    if (dltotal > 0 && dlnow >= dltotal) return 0;
    // Between sending the request and the answer's first byte the server may
    // have answered already; abandoning then would fetch the file twice.
    curl_off_t sentAt = 0;
    curl_easy_getinfo(t->curl, CURLINFO_PRETRANSFER_TIME_T, &sentAt);
    if (sentAt > 0 && !t->headDelivered) return 0;
    if (t->receiver.ShouldAbort()) {
      t->abandoned = true;
      return 1;
    }
    return 0;
  }
};

namespace {

std::string HostOf(const std::string& url) {
  std::string host;
  if (CURLU* u = curl_url()) {
    char* part = nullptr;
    if (curl_url_set(u, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK &&
        curl_url_get(u, CURLUPART_HOST, &part, 0) == CURLUE_OK) {
      host = part;
      curl_free(part);
    }
    curl_url_cleanup(u);
  }
  return host;
}

}  // namespace

HttpSession::HttpSession(HttpIdentity identity) : m_identity(std::move(identity)) {
  HttpGlobalInit();
  CURL* curl = curl_easy_init();
  m_curl = curl;
  if (!curl) return;
  // What every request of this session asks for. No curl_easy_reset: libcurl
  // 7.88 drops the cookie file list there without freeing it. So these stay,
  // and each request sets what is its own.
  curl_easy_setopt(curl, CURLOPT_USERAGENT, m_identity.userAgent.c_str());
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  /* only allow redirects to HTTP and HTTPS URLs */
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  /* large reads from the socket; the body is still handed on 1024 bytes at a time */
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 64L * 1024);
  /* a receive time-out of 5 s: less than one byte in five seconds ends it */
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 5L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 30L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Transfer::OnWrite);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
}

HttpSession::~HttpSession() {
  if (m_curl) curl_easy_cleanup(static_cast<CURL*>(m_curl));
}

HttpOutcome HttpSession::Get(const HttpTarget& target, HttpReceiver& receiver, const HttpResume& resume) {
  CURL* curl = static_cast<CURL*>(m_curl);
  if (!curl) return HttpOutcome::NoRequest;
  m_error.clear();
  m_transient = false;

  std::string url = RequestUrl(target);
  // libcurl would send our own headers to whatever host a redirect names:
  // with any, redirects are followed here.
  const bool ownRedirects = !m_identity.headers.empty();
  const std::string firstHost = ownRedirects ? HostOf(url) : std::string();
  for (int hop = 0;; ++hop) {
    Transfer transfer{curl, receiver};
    transfer.ownRedirects = ownRedirects;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    curl_slist* headers = nullptr;
    if (ownRedirects && HostOf(url) == firstHost)
      for (const std::string& line : m_identity.headers) headers = curl_slist_append(headers, line.c_str());
    const std::string ifRange = "If-Range: " + resume.validator;
    const std::string range = std::to_string(resume.from) + "-";
    curl_easy_setopt(curl, CURLOPT_RANGE, resume.from > 0 ? range.c_str() : nullptr);
    if (resume.from > 0 && !resume.validator.empty()) headers = curl_slist_append(headers, ifRange.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (!m_identity.cookieFile.empty() && !m_cookiesRead) {
      /* the file is read once; its cookies stay in the handle, each sent to its own host */
      curl_easy_setopt(curl, CURLOPT_COOKIEFILE, m_identity.cookieFile.c_str());
      m_cookiesRead = true;
    }
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    // Certificates are always checked; SSL_CERT_FILE names another trust store.
    if (const char* trust = std::getenv("SSL_CERT_FILE"); trust && *trust)
      curl_easy_setopt(curl, CURLOPT_CAINFO, trust);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, ownRedirects ? 0L : 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

    const CURLcode code = curl_easy_perform(curl);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    long connects = 0;
    if (curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &connects) == CURLE_OK) m_connections += int(connects);
    if (transfer.abandoned) return HttpOutcome::Abandoned;
    if (code == CURLE_OK && !transfer.headDelivered) transfer.DeliverHead();
    if (!transfer.redirectTo.empty() && (code == CURLE_OK || code == CURLE_WRITE_ERROR)) {
      if (hop >= 10) {
        m_error = "too many redirects";
        return HttpOutcome::NetworkError;
      }
      url = transfer.redirectTo;
      continue;
    }
    if (transfer.refused) return HttpOutcome::Refused;
    if (code != CURLE_OK) {
      m_error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
      m_transient = code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT || code == CURLE_RECV_ERROR ||
                    code == CURLE_SEND_ERROR || code == CURLE_PARTIAL_FILE || code == CURLE_GOT_NOTHING ||
                    code == CURLE_HTTP2 || code == CURLE_HTTP2_STREAM;
      // What arrived before the error still belongs to the body.
      if (!transfer.FlushPending()) return HttpOutcome::Abandoned;
      return HttpOutcome::NetworkError;
    }
    if (!transfer.FlushPending()) return HttpOutcome::Abandoned;
    return HttpOutcome::Completed;
  }
}

}  // namespace platform
