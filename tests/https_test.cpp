// Fetching over TLS checks the server's certificate.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>

#include "tests/support/cli_runner.h"
#include "tests/support/fetch_fixture.h"

namespace {

namespace fs = std::filesystem;

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

class BodyRecorder : public engine::PageHandler {
 public:
  void HandlePage(engine::PageContext&, std::string_view body) override { bodies.emplace_back(body); }
  std::vector<std::string> bodies;
};

TEST(Https, FetchesOverTlsAndRefusesAnUntrustedCertificate) {
  TempFolder work;
  const fs::path cert = work.Path() / "cert.pem", key = work.Path() / "key.pem";
  const std::string make = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1 "
                           "-addext subjectAltName=IP:127.0.0.1 -keyout " + key.string() + " -out " +
                           cert.string() + " >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "openssl cannot make a certificate here";
  fs::create_directories(work.Path() / "www");
  std::ofstream(work.Path() / "www/page.htm") << "<title>secure</title>";
  const int port = FreePort();
  // -WWW serves files relative to the current folder.
  const fs::path before = fs::current_path();
  fs::current_path(work.Path() / "www");
  CliRun server("/usr/bin/openssl",
                {"s_server", "-accept", "127.0.0.1:" + std::to_string(port), "-cert", cert.string(),
                 "-key", key.string(), "-WWW"},
                work.Path());
  fs::current_path(before);
  // It says ACCEPT once it listens.
  ASSERT_TRUE(server.WaitForOutput("ACCEPT")) << server.Err();

  BodyRecorder handler;
  FetchFixture f(Shape::Crawler, &handler);
  f.site = {"127.0.0.1", true, port};
  f.switches.image = false;

  unsetenv("SSL_CERT_FILE");
  f.Fetch("page.htm", 0);
  EXPECT_TRUE(handler.bodies.empty());  // the certificate is nobody we trust

  setenv("SSL_CERT_FILE", cert.c_str(), 1);
  f.Fetch("page.htm", 1);
  unsetenv("SSL_CERT_FILE");
  ASSERT_EQ(handler.bodies.size(), 1u);
  EXPECT_EQ(handler.bodies[0], "<title>secure</title>");
  EXPECT_EQ(f.logs.TitleText(), "secure\n");
}

}  // namespace
