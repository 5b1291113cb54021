#include <gtest/gtest.h>

#include <curl/curl.h>

#include <string>

#include "links/address.h"
#include "platform/http_client.h"
#include "platform/request_target.h"

namespace {

using links::SplitAddress;

TEST(SplitAddress, Parts) {
  struct Row {
    std::string text;
    std::string scheme;
    std::string host;
    int port;
    std::string object;
    bool secure;
  };
  const Row rows[] = {
      {"http://example.com/a/b.jpg", "http", "example.com", 80, "/a/b.jpg", false},
      {"https://example.com/", "https", "example.com", 443, "/", true},
      {"HTTPS://Example.COM/Path/A.JPG", "HTTPS", "Example.COM", 443, "/Path/A.JPG", true},
      {"ftp://example.com/x", "ftp", "example.com", 80, "/x", false},
      {"http://host:8080/x", "http", "host", 8080, "/x", false},
      {"https://host:80/x", "https", "host", 80, "/x", true},
      {"http://host:1/", "http", "host", 1, "/", false},
      {"http://host:65535/", "http", "host", 65535, "/", false},
      {"http://host:00081/", "http", "host", 81, "/", false},
      {"http://host:/x", "http", "host", 80, "/x", false},
      {"https://host:", "https", "host", 443, "/", true},
      {"http://user@host/x", "http", "host", 80, "/x", false},
      {"http://user:pw@host:81", "http", "host", 81, "/", false},
      {"http://[::1]:8080/x", "http", "::1", 8080, "/x", false},
      {"https://[2001:db8::1]/", "https", "2001:db8::1", 443, "/", true},
      {"http://[::1]:/", "http", "::1", 80, "/", false},
      {"http://u@[::1]", "http", "::1", 80, "/", false},
      {"http://host", "http", "host", 80, "/", false},
      {"http://h?x", "http", "h", 80, "/?x", false},
      {"http://h#top", "http", "h", 80, "/#top", false},
      {"http://h/x?u=http://o/a@b:1", "http", "h", 80, "/x?u=http://o/a@b:1", false},
      // The object is kept byte for byte.
      {"http://h/a/../b/./C%2e?q=1&amp;r=%20 x", "http", "h", 80, "/a/../b/./C%2e?q=1&amp;r=%20 x",
       false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const auto address = SplitAddress(row.text);
    ASSERT_TRUE(address.has_value());
    EXPECT_EQ(address->scheme, row.scheme);
    EXPECT_EQ(address->host, row.host);
    EXPECT_EQ(address->port, row.port);
    EXPECT_EQ(address->object, row.object);
    EXPECT_EQ(address->secure, row.secure);
  }
}

TEST(SplitAddress, Refused) {
  const std::string refused[] = {
      // no scheme
      "",
      "example.com/a.jpg",
      "/a.jpg",
      "://host/",
      "http:/host/",
      "http:host",
      "ht tp://host/",
      "a?b=http://host/",
      // no host
      "http://",
      "http:///a.jpg",
      "http://:80/",
      "http://user@/",
      "http://[]/",
      // a port that is not 1 to 65535
      "http://host:0/",
      "http://host:65536/",
      "http://host:123456/",
      "http://host:8a/",
      "http://host:-1/",
      "http://host: 80/",
      "http://host:+80/",
      "http://[::1]:0/",
      "http://[::1]:x/",
      // a colon that is no port separator, an unclosed bracket
      "http://host:80:90/",
      "http://::1/",
      "http://[::1/",
      "http://[::1]x/",
  };
  for (const std::string& text : refused)
    EXPECT_FALSE(SplitAddress(text).has_value()) << text;
}

// What libcurl's parser makes of the address, asked or not: the key of kept pages and parts.
TEST(RequestUrl, AsLibcurlWritesIt) {
  for (const char* host : {"127.0.0.1", "example.com", "a-b.example", "localhost", "127.1", "0x7f.0.0.1",
                           "Example.COM", "10.0.0.010", "2130706433", "x.0x1"}) {
    for (const std::string object : {"/", "/a/b.htm", "/a/./b.htm", "/a/../b.htm", "/.hidden/x.png", "/a/%2E%2e/b",
                                     "/a b/\\c\"d", "/q?x=1&y=../z", "/%zz/100%", "/dir/..", "/x.htm#frag/../y",
                                     "/a%2fb%c3%a9?q=%7e"}) {
      std::string expected = "http://" + std::string(host) + ":8080" +
                             platform::EncodeRequestTarget(object.substr(0, object.find('#')));
      CURLU* u = curl_url();
      char* normal = nullptr;
      if (curl_url_set(u, CURLUPART_URL, expected.c_str(), 0) == CURLUE_OK &&
          curl_url_get(u, CURLUPART_URL, &normal, 0) == CURLUE_OK)
        expected = normal;
      curl_free(normal);
      curl_url_cleanup(u);
      EXPECT_EQ(platform::RequestUrl({false, host, 8080, object}), expected) << host << " " << object;
    }
  }
}

}  // namespace

