#pragma once
// A small web site on a TestServer: pages and files by path, some of them
// slow, and a count of the files that were sent whole.
#include <atomic>
#include <chrono>
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
  };

  TestSite() {
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
      if (r.slowPieces == 0) {
        res.set_content(r.body, r.type.c_str());
        return;
      }
      res.set_chunked_content_provider(r.type.c_str(), [this, r](size_t, httplib::DataSink& sink) {
        const std::string piece(1000, 's');
        for (int i = 0; i < r.slowPieces; ++i) {
          if (!sink.write(piece.data(), piece.size())) return false;
          if (!m_hurry) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        sink.done();
        return true;
      });
    });
    m_server.Start();
  }

  void Put(const std::string& path, Resource r) {
    std::lock_guard g(m_mutex);
    m_resources[path] = std::move(r);
  }
  void Page(const std::string& path, const std::string& lines) { Put(path, {lines, "text/plain"}); }
  void File(const std::string& path, const std::string& body = "picture") { Put(path, {body}); }
  // Slow files are sent without pauses from now on.
  void Hurry() { m_hurry = true; }

  TestServer& Server() { return m_server; }
  std::string Url(const std::string& path) const { return m_server.Url(path); }
  int Hits(const std::string& path) const { return m_server.Hits(path); }

 private:
  std::mutex m_mutex;
  std::map<std::string, Resource> m_resources;
  std::atomic<bool> m_hurry{false};
  TestServer m_server;
};
