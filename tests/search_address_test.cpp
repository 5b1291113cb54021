#include "quorvash/search_address.h"

#include <gtest/gtest.h>

#include "platform/settings_store.h"

using namespace quorvash;

namespace {

const std::string kFirstPage = "http://images.google.com/images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=";

TEST(BuildSearchAddress, KeywordsAndPastedAddresses) {
  struct Case {
    std::string input;
    std::string host;
    std::string expected;
  } cases[] = {
      {"red car", kServiceHost, kFirstPage + "red car"},
      {"a&b=c?d", kServiceHost, kFirstPage + "a&b=c?d"},
      {"caf\xC3\xA9", kServiceHost, kFirstPage + "caf\xC3\xA9"},
      // A result page of the service is taken as it is, whatever its query.
      {"http://images.google.com/images?q=dogs&start=40", kServiceHost,
       "http://images.google.com/images?q=dogs&start=40"},
      {"see http://images.google.com/images?q=x", kServiceHost,
       "see http://images.google.com/images?q=x"},
      // Not the service's result-page prefix: a keyword.
      {"http://example.org/images?q=x", kServiceHost, kFirstPage + "http://example.org/images?q=x"},
      {"HTTP://images.google.com/images?q=x", kServiceHost,
       kFirstPage + "HTTP://images.google.com/images?q=x"},
      {"http://images.google.com/search?q=x", kServiceHost,
       kFirstPage + "http://images.google.com/search?q=x"},
      // A stand-in host replaces the service in both the prefix and the address.
      {"cats", "127.0.0.1:8080",
       "http://127.0.0.1:8080/images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=cats"},
      {"http://127.0.0.1:8080/images?q=cats", "127.0.0.1:8080", "http://127.0.0.1:8080/images?q=cats"},
      {"http://images.google.com/images?q=x", "127.0.0.1:8080",
       "http://127.0.0.1:8080/images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q="
       "http://images.google.com/images?q=x"},
  };
  for (const Case& c : cases) EXPECT_EQ(BuildSearchAddress(c.input, c.host), c.expected) << c.input;

  EXPECT_EQ(DefaultHistory(kServiceHost), kFirstPage + "scene");
}

TEST(BuildSearchAddress, KeywordKeepsAtMost255BytesOfWholeSequences) {
  const std::string a252(252, 'a');
  struct Case {
    std::string input;
    std::string keyword;
  } cases[] = {
      {std::string(300, 'a'), std::string(255, 'a')},
      {a252 + "\xE2\x82\xAC", a252 + "\xE2\x82\xAC"},              // 255 bytes exactly
      {a252 + "a\xE2\x82\xAC", a252 + "a"},                        // 3-byte sequence over the edge
      {a252 + "aa\xC3\xA9", a252 + "aa"},                          // 2-byte sequence over the edge
      {a252 + "\xF0\x9F\x98\x80", a252},                           // 4-byte sequence over the edge
      {a252 + "aa\xC3\xA9" + "bbb", a252 + "aa"},
      {std::string("ab\0cd", 5), "ab"},
  };
  for (const Case& c : cases) {
    const std::string address = BuildSearchAddress(c.input, kServiceHost);
    EXPECT_EQ(address.substr(kFirstPage.size()), c.keyword) << c.input.size();
  }
  // Stray continuation bytes are cut as bytes, not followed back to the start.
  EXPECT_EQ(TruncateUtf8(std::string(300, '\x80'), 255).size(), 252u);
}

TEST(SearchHost, OverrideWhenWellFormed) {
  // The test program has a settings store of its own.
  const platform::SettingsStore store("Quorvash");
  EXPECT_EQ(SearchHost(store), kServiceHost);

  struct Case {
    std::string value;
    std::string host;
  } cases[] = {
      {"127.0.0.1:8080", "127.0.0.1:8080"},
      {"localhost", "localhost"},
      {"search.test:65535", "search.test:65535"},
      {"", kServiceHost},
      {"localhost:", kServiceHost},
      {"localhost:0", kServiceHost},
      {"localhost:65536", kServiceHost},
      {"localhost:80x", kServiceHost},
      {":8080", kServiceHost},
      {"http://localhost", kServiceHost},
      {"localhost/images", kServiceHost},
      {"user@localhost", kServiceHost},
      {"local host", kServiceHost},
      {".localhost", kServiceHost},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(store.WriteString("search host", c.value));
    EXPECT_EQ(SearchHost(store), c.host) << c.value;
  }

  ASSERT_TRUE(store.WriteString("search host", "localhost:8080"));
  EXPECT_EQ(PrepareSearchAddress("cats", store),
            "http://localhost:8080/images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=cats");
  EXPECT_EQ(PrepareSearchAddress("http://localhost:8080/images?q=dogs", store),
            "http://localhost:8080/images?q=dogs");
  store.WriteString("search host", "");
}

}  // namespace
