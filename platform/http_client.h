#pragma once
// A thin HTTP client over one libcurl easy handle. One session per worker:
// the handle keeps its connections and DNS answers between files.
#include <cstdint>
#include <ctime>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Call once, before any thread uses a session.
void HttpGlobalInit();

// An HTTP date (any of its three forms) as seconds since the epoch.
std::optional<std::time_t> ParseHttpDate(const std::string& text);

struct HttpTarget {
  bool secure = false;
  std::string host;
  int port = 80;
  std::string object;  // path and query as stored; encoded on the wire only
};

struct HttpHead {
  long status = 0;
  int64_t contentLength = 0;  // 0 when absent
  bool lengthKnown = false;   // a Content-Length was sent
  std::string contentType;    // empty when absent
  std::string etag;           // what a later request may ask the rest of
  std::string lastModified;
  std::string retryAfter;     // as sent: seconds or an HTTP date
  int64_t rangeStart = -1;    // a 206's first byte; -1 without Content-Range
};

// Who a session says it is, and what it sends beside every request.
struct HttpIdentity {
  std::string userAgent;
  std::string cookieFile;  // Netscape cookie file; libcurl sends each cookie to its own host only
  std::vector<std::string> headers;  // "Name: value"; only to the first host of a request
};

// Asks for the rest of a body already partly held.
struct HttpResume {
  int64_t from = 0;       // 0: the whole body
  std::string validator;  // ETag or Last-Modified: a changed file comes whole
};

// The address a request for `target` asks for, as sent: the fragment
// dropped, bytes that may not stand in a request target escaped, and dot
// segments removed as a browser does. Equal for requests that ask the server
// for the same thing.
std::string RequestUrl(const HttpTarget& target);

class HttpReceiver {
 public:
  virtual ~HttpReceiver() = default;
  // Once per request, before the first body byte, or after the transfer when
  // the body is empty. Returning false refuses the body: a small one is
  // still read (and dropped) so that the connection serves the next request;
  // a large one abandons the transfer.
  virtual bool OnHead(const HttpHead& head) = 0;
  // 1024 bytes at a time; only the last read of a body is shorter.
  // Returning false abandons the transfer.
  virtual bool OnChunk(const char* data, size_t size) = 0;
  // Polled while the transfer connects or waits for more of the body; true
  // abandons it.
  virtual bool ShouldAbort() = 0;
};

enum class HttpOutcome {
  Completed,     // the whole body was read
  Refused,       // the receiver refused the body after the head
  Abandoned,     // the receiver said stop while the body arrived
  NetworkError,  // connection, time-out, refused redirect, short body...
  NoRequest,     // the request could not be created
};

class HttpSession {
 public:
  explicit HttpSession(HttpIdentity identity);
  explicit HttpSession(std::string userAgent) : HttpSession(HttpIdentity{std::move(userAgent), {}, {}}) {}
  ~HttpSession();
  HttpSession(const HttpSession&) = delete;
  HttpSession& operator=(const HttpSession&) = delete;

  HttpOutcome Get(const HttpTarget& target, HttpReceiver& receiver, const HttpResume& resume = {});
  // The layer's message for the last NetworkError.
  const std::string& LastError() const { return m_error; }
  // The last NetworkError may pass: a reset, a time-out, a body cut short.
  bool LastErrorTransient() const { return m_transient; }
  // Connections this session has opened so far; the rest of its requests
  // went over connections kept open.
  int ConnectionsOpened() const { return m_connections; }

 private:
  struct Transfer;
  void* m_curl = nullptr;
  HttpIdentity m_identity;
  bool m_cookiesRead = false;
  std::string m_error;
  bool m_transient = false;
  int m_connections = 0;
};

}  // namespace platform
