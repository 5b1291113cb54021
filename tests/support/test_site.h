#pragma once
// A small web site on a TestServer: pages and files by path, some of them
// slow, and a count of the files that were sent whole.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/test_server.h"

class TestSite {
 public:
  struct Resource {
    std::string body;
    std::string type = "image/jpeg";
    int slowPieces = 0;  // sent in this many 1000-byte pieces, 20 ms apart
    int delayMs = 0;     // the answer waits this long
  };

  explicit TestSite(const std::string& address = "127.0.0.1") {
    m_server.Http().Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      Resource r;
      {
        std::lock_guard g(m_mutex);
        auto it = m_resources.find(req.path);
        if (it == m_resources.end()) {
          res.status = 404;
          return;
        }
        r = it->second;
      }
      if (r.delayMs > 0 && !m_hurry) std::this_thread::sleep_for(std::chrono::milliseconds(r.delayMs));
      if (r.slowPieces == 0) {
        res.set_content(r.body, r.type.c_str());
        return;
      }
      const std::string path = req.path;
      res.set_chunked_content_provider(r.type.c_str(), [this, r, path](size_t, httplib::DataSink& sink) {
        const std::string piece(1000, 's');
        for (int i = 0; i < r.slowPieces; ++i) {
          if (!sink.write(piece.data(), piece.size())) return false;
          {
            std::lock_guard g(m_mutex);
            ++m_piecesSent[path];
          }
          m_sent.notify_all();
          if (!m_hurry) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        sink.done();
        return true;
      });
    });
    m_server.Start(address);
  }

  void Put(const std::string& path, Resource r) {
    std::lock_guard g(m_mutex);
    m_resources[path] = std::move(r);
  }
  void Page(const std::string& path, const std::string& lines) { Put(path, {lines, "text/plain"}); }
  void File(const std::string& path, const std::string& body = "picture") { Put(path, {body}); }
  // Slow files are sent without pauses from now on.
  void Hurry() { m_hurry = true; }
  // Waits until `count` pieces of the slow file at `path` have been sent.
  void WaitForPieces(const std::string& path, int count) {
    std::unique_lock lock(m_mutex);
    m_sent.wait(lock, [&] { return m_piecesSent[path] >= count; });
  }

  TestServer& Server() { return m_server; }
  std::string FolderName() const { return m_server.FolderName(); }
  std::string Url(const std::string& path) const { return m_server.Url(path); }
  int Hits(const std::string& path) const { return m_server.Hits(path); }

 private:
  std::mutex m_mutex;
  std::condition_variable m_sent;
  std::map<std::string, Resource> m_resources;
  std::map<std::string, int> m_piecesSent;
  std::atomic<bool> m_hurry{false};
  TestServer m_server;
};
