#pragma once
// An HTTP server on 127.0.0.1 with an ephemeral port, run on its own thread
// for the length of a test. It counts the requests it receives per path.
#include <httplib.h>
#include <netinet/tcp.h>

#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

class TestServer {
 public:
  TestServer() {
    // Accepted sockets inherit TCP_NODELAY; without it every answer waits
    // for a delayed acknowledgement.
    m_server.set_socket_options([](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
      setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    });
    // Counted as the request arrives, so the count is complete as soon as
    // the client has its answer.
    m_server.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
      std::lock_guard g(m_mutex);
      ++m_hits[req.path];
      m_ports.insert(req.remote_port);
      m_targets.push_back(req.target);
      m_agents.push_back(req.get_header_value("User-Agent"));
      return httplib::Server::HandlerResponse::Unhandled;
    });
  }
  ~TestServer() { StopServer(); }

  httplib::Server& Http() { return m_server; }

  // Starts listening; call after the handlers are set.
  void Start(const std::string& address = "127.0.0.1") {
    m_address = address;
    m_port = m_server.bind_to_any_port(address);
    m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (!m_server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void StopServer() {
    if (m_thread.joinable()) {
      m_server.stop();
      m_thread.join();
    }
  }
  int Port() const { return m_port; }
  std::string HostPort() const { return m_address + ":" + std::to_string(m_port); }
  std::string Url(const std::string& path) const { return "http://" + HostPort() + path; }
  // The project folder a site here gets: never port 80, so always "host_port".
  std::string FolderName() const { return m_address + "_" + std::to_string(m_port); }

  int Hits(const std::string& path) const {
    std::lock_guard g(m_mutex);
    auto it = m_hits.find(path);
    return it == m_hits.end() ? 0 : it->second;
  }
  std::vector<std::string> Targets() const {
    std::lock_guard g(m_mutex);
    return m_targets;
  }
  // Connections that carried requests: one client port each.
  int Connections() const {
    std::lock_guard g(m_mutex);
    return int(m_ports.size());
  }
  std::vector<std::string> Agents() const {
    std::lock_guard g(m_mutex);
    return m_agents;
  }

 private:
  httplib::Server m_server;
  std::thread m_thread;
  int m_port = 0;
  std::string m_address;
  mutable std::mutex m_mutex;
  std::map<std::string, int> m_hits;
  std::set<int> m_ports;
  std::vector<std::string> m_targets;
  std::vector<std::string> m_agents;
};
