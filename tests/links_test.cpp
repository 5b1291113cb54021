#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "links/ascii.h"
#include "links/download_project.h"

namespace {

TEST(AddLink, DuplicateIsWholeStringIgnoringAsciiCaseOnly) {
  CDownloadProject project;
  project.AppendLink("", LINK_NEW);  // a run started at the site root
  ASSERT_EQ(project.AddLink("images/a.jpg", 1), 1);

  struct Row {
    std::string link;
    bool added;
  };
  const Row rows[] = {
      {"Images/A.JPG", false},
      {"IMAGES/a.jpg", false},
      {"", false},  // an empty value at the root is link 0 again
      {"a/../b.jpg", true},
      {"b.jpg", true},  // no folding of "../"
      {"x.jpg", true},
      {"./x.jpg", true},  // nor of "./"
      {"images/a.jpg ", true},  // no trimming
      {"images/a%2Ejpg", true},  // no decoding
      {"images/a.jpg?", true},
      {"\xC3\x84.jpg", true},  // non-ASCII letters are not folded
      {"\xC3\xA4.jpg", true},
      // The same other-site image from two directories, then again from the first.
      {"gallery/\x01http://other/p/a.jpg", true},
      {"photos/\x01http://other/p/a.jpg", true},
      {"Gallery/\x01HTTP://OTHER/p/A.JPG", false},
      {"\x01http://other/p/a.jpg", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.link);
    const size_t before = project.m_links.size();
    const std::optional<int> index = project.AddLink(row.link, 1);
    if (row.added) {
      ASSERT_EQ(index, int(before));
      EXPECT_EQ(project.m_links.back(), row.link);  // stored as found, case kept
    } else {
      EXPECT_FALSE(index.has_value());
      EXPECT_EQ(project.m_links.size(), before);
    }
    EXPECT_EQ(project.m_states.size(), project.m_links.size());
  }
  EXPECT_EQ(project.m_links[1], "images/a.jpg");
}

TEST(AddLink, KindFlagChoosesStateExceptInQuorvash) {
  struct Row {
    bool everyLinkNew;
    int kind;
    uint8_t state;
  };
  const Row rows[] = {
      {false, 1, LINK_NEW},       {false, 0, LINK_PREFERRED}, {false, 2, LINK_NEW},
      {false, -1, LINK_NEW},      {true, 0, LINK_NEW},        {true, 1, LINK_NEW},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "quorvash " << row.everyLinkNew << " kind " << row.kind);
    CDownloadProject project(row.everyLinkNew);
    ASSERT_EQ(project.AddLink("a.jpg", row.kind), 0);
    EXPECT_EQ(project.m_states[0], row.state);
  }
}

TEST(AddLink, FoundAgainKeepsState) {
  CDownloadProject project;
  project.AppendLink("taken.htm", LINK_TAKEN);
  project.AppendLink("new.htm", LINK_NEW);
  project.AppendLink("preferred.jpg", LINK_PREFERRED);

  // Every kind flag, on every state, in both letter cases.
  for (int kind : {0, 1})
    for (const char* link : {"taken.htm", "NEW.htm", "Preferred.JPG"})
      EXPECT_FALSE(project.AddLink(link, kind).has_value()) << link << " kind " << kind;

  EXPECT_EQ(project.m_states, (std::vector<uint8_t>{LINK_TAKEN, LINK_NEW, LINK_PREFERRED}));
  EXPECT_EQ(project.m_links.size(), 3u);
}

TEST(AddLink, AppendAndClearKeepDuplicateTestInStep) {
  CDownloadProject project;
  project.AppendLink("Start/Page.htm", LINK_TAKEN);  // as loaded from a project file
  EXPECT_FALSE(project.AddLink("start/page.htm", 1).has_value());
  EXPECT_EQ(project.AddLink("other.htm", 1), 1);

  project.m_preferredCursor = 7;
  project.m_newCursor = 9;
  project.ClearLinks();
  EXPECT_TRUE(project.m_links.empty());
  EXPECT_TRUE(project.m_states.empty());
  EXPECT_EQ(project.m_preferredCursor, 0u);
  EXPECT_EQ(project.m_newCursor, 0u);

  // Nothing of the old list is remembered after clearing.
  EXPECT_EQ(project.AddLink("START/PAGE.HTM", 1), 0);
  EXPECT_EQ(project.AddLink("other.htm", 0), 1);
  EXPECT_EQ(project.m_states, (std::vector<uint8_t>{LINK_NEW, LINK_PREFERRED}));
}

TEST(PutBack, ReturnsLinkToNewAndUncountsIt) {
  CDownloadProject project;
  project.AppendLink("", LINK_TAKEN);
  project.AppendLink("a.jpg", LINK_TAKEN);
  project.AppendLink("b.htm", LINK_TAKEN);
  project.m_count = 3;
  // The workers have walked past every entry.
  project.m_newCursor = 3;
  project.m_preferredCursor = 3;

  project.PutBack(1);
  EXPECT_EQ(project.m_states, (std::vector<uint8_t>{LINK_TAKEN, LINK_NEW, LINK_TAKEN}));
  EXPECT_EQ(project.m_count, 2);
  EXPECT_EQ(project.m_newCursor, 1u);  // the next walk for a new link sees it again
  EXPECT_EQ(project.m_preferredCursor, 3u);

  // An index that names no link changes nothing.
  project.PutBack(-1);
  project.PutBack(3);
  EXPECT_EQ(project.m_count, 2);
  EXPECT_EQ(project.m_states.size(), 3u);
}

TEST(AddLink, ConcurrentAddsListEveryDistinctLinkOnce) {
  constexpr int kThreads = 5;
  constexpr int kShared = 20000;
  constexpr int kOwn = 2000;
  CDownloadProject project;
  std::vector<std::vector<std::pair<std::string, int>>> added(kThreads);

  std::atomic<int> waiting{kThreads};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      // Start together, or the first thread may be done before the last begins.
      waiting.fetch_sub(1);
      while (waiting.load() > 0) std::this_thread::yield();
      for (int i = 0; i < kShared; ++i) {
        // Each thread walks the shared links from a different place and in
        // its own letter case, so the threads collide on equal links.
        const int n = (i + t * 397) % kShared;
        std::string link = (t % 2 ? "Gallery/PIC" : "gallery/pic") + std::to_string(n) + ".jpg";
        if (auto index = project.AddLink(link, n % 2)) added[t].emplace_back(link, *index);
        if (i < kOwn) {
          std::string own = "t" + std::to_string(t) + "/" + std::to_string(i) + ".htm";
          if (auto index = project.AddLink(own, 1)) added[t].emplace_back(own, *index);
        }
      }
    });
  }
  for (auto& thread : threads) thread.join();

  const size_t distinct = kShared + kThreads * kOwn;
  ASSERT_EQ(project.m_links.size(), distinct);
  ASSERT_EQ(project.m_states.size(), distinct);

  std::set<std::string> lowered;
  for (const auto& link : project.m_links) lowered.insert(links::AsciiLowered(link));
  EXPECT_EQ(lowered.size(), distinct);

  // Every index handed out is unique and names the link that was added.
  std::vector<int> seen(distinct, 0);
  for (const auto& list : added)
    for (const auto& [link, index] : list) {
      ASSERT_GE(index, 0);
      ASSERT_LT(size_t(index), distinct);
      ++seen[size_t(index)];
      EXPECT_EQ(project.m_links[size_t(index)], link);
    }
  EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

}  // namespace
