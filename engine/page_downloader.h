#pragma once
// Fetches one link of the list and stores it in the project folder; the link
// analysis of the page handlers works through this object.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "links/download_project.h"
#include "platform/http_client.h"
#include "engine/run_context.h"

class CPageDownloader : private platform::HttpReceiver {
 public:
  CPageDownloader(CDownloadProject* project, int index, const RunContext& context,
                  platform::HttpSession& session);
  ~CPageDownloader() override;
  CPageDownloader(const CPageDownloader&) = delete;
  CPageDownloader& operator=(const CPageDownloader&) = delete;

  // 0 when the link was processed, whatever the outcome; 1 when an
  // other-site address cannot be split; 2 when no request could be made.
  int FetchFile(const std::string& address, int index);

  // --- Link analysis, used by the page handlers ---
  // Adds a link in its stored form (kind: 1 anchor, 0 image or archive;
  // Quorvash ignores it) and logs it with "show link".
  void AddLink(const std::string& link, int kind = 1);
  void ResolveLink(std::string& link, bool root, bool otherSite) const;
  // Link mode: the directory-level test (0 inside, 1 or 2 outside).
  // File mode: `out` receives the local path, Quorvash's folders are made;
  // returns 0.
  int MapLink(std::string_view link, std::string& out, bool fileMode, bool suffix, bool root,
              bool otherSite);
  // Makes the folders of a local path below the project folder (Quorvash).
  // Returns 1 when the path holds no "/", else 0.
  int EnsureDirectories(std::string_view localPath);
  // Writes the whole body into the open output file, if any.
  void WriteBody(const std::string& body);
  // A question to the user, answered No while the program is leaving.
  bool Ask(Question question, const std::string& text) const { return m_context.Ask(question, text); }
  const RunContext& Context() const { return m_context; }

  int32_t m_isText = 1;
  std::FILE* m_pFile = nullptr;
  int64_t m_received = 0;  // body bytes; one more once the zero byte is appended
  std::string m_pageDir;
  uint64_t m_startTick = 0;
  CDownloadProject* m_pProject;
  int m_index;

 private:
  enum class Ending { None, Refused, Cancelled, Stopped, Dropped };

  bool OnHead(const platform::HttpHead& head) override;
  bool OnChunk(const char* data, size_t size) override;
  bool ShouldAbort() override;

  platform::HttpOutcome Replay(const CachedPage& page);
  void CaptureTitle(std::string_view firstChunk);
  void LogLine(const std::string& line);
  std::string OpenOutputFile(const std::string& localPath);
  void CloseOutputFile(const std::string& outputName, const std::string& otherHost);

  const RunContext& m_context;
  platform::HttpSession& m_session;
  std::string m_body;
  int64_t m_announced = 0;
  platform::HttpHead m_head;
  Ending m_ending = Ending::None;
  bool m_writeFailed = false;
  std::string m_outputPath;  // absolute path of m_pFile
};
