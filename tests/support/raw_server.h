#pragma once
// A loopback server that answers every request with one canned byte string
// (or what a script makes of the request) and closes the connection: for
// answers a well-behaved server won't give (no Content-Type, a lying
// Content-Length, a body cut at byte N).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class RawServer {
 public:
  using Script = std::function<std::string(const std::string& request)>;
  explicit RawServer(std::string reply) : RawServer(Script([reply](const std::string&) { return reply; })) {}
  explicit RawServer(Script script) : m_script(std::move(script)) {
    m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    m_port = ntohs(addr.sin_port);
    ::listen(m_listen, 16);
    m_thread = std::thread([this] { Serve(); });
  }
  ~RawServer() {
    m_done = true;
    m_thread.join();
    ::close(m_listen);
  }
  int Port() const { return m_port; }
  std::vector<std::string> Requests() const {
    std::lock_guard g(m_mutex);
    return m_requests;
  }

 private:
  void Serve() {
    while (!m_done) {
      pollfd p{m_listen, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept(m_listen, nullptr, nullptr);
      if (fd < 0) continue;
      std::string request;
      char buf[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        request.append(buf, size_t(n));
      }
      {
        std::lock_guard g(m_mutex);
        m_requests.push_back(request);
      }
      const std::string reply = m_script(request);
      ::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL);
      ::close(fd);
    }
  }

  Script m_script;
  mutable std::mutex m_mutex;
  std::vector<std::string> m_requests;
  int m_listen = -1;
  int m_port = 0;
  std::atomic<bool> m_done{false};
  std::thread m_thread;
};
