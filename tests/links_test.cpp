#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <atomic>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "links/ascii.h"
#include "links/link_list.h"

namespace {

using links::LinkList;
using links::LinkState;

std::vector<std::string> Links(const LinkList& l) { return l.Copy().links; }
std::vector<LinkState> States(const LinkList& l) { return l.Copy().states; }

TEST(AddLink, DuplicateIsWholeStringIgnoringAsciiCaseOnly) {
  LinkList project;
  project.Append("", LinkState::New);  // a run started at the site root
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
    const size_t before = Links(project).size();
    const std::optional<int> index = project.AddLink(row.link, 1);
    if (row.added) {
      ASSERT_EQ(index, int(before));
      EXPECT_EQ(Links(project).back(), row.link);  // stored as found, case kept
    } else {
      EXPECT_FALSE(index.has_value());
      EXPECT_EQ(Links(project).size(), before);
    }
    EXPECT_EQ(States(project).size(), Links(project).size());
  }
  EXPECT_EQ(Links(project)[1], "images/a.jpg");
}

TEST(AddLink, KindFlagChoosesStateExceptInQuorvash) {
  struct Row {
    bool everyLinkNew;
    int kind;
    LinkState state;
  };
  const Row rows[] = {
      {false, 1, LinkState::New},       {false, 0, LinkState::Preferred}, {false, 2, LinkState::New},
      {false, -1, LinkState::New},      {true, 0, LinkState::New},        {true, 1, LinkState::New},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "quorvash " << row.everyLinkNew << " kind " << row.kind);
    LinkList project(row.everyLinkNew);
    ASSERT_EQ(project.AddLink("a.jpg", row.kind), 0);
    EXPECT_EQ(States(project)[0], row.state);
  }
}

TEST(AddLink, FoundAgainKeepsState) {
  LinkList project;
  project.Append("taken.htm", LinkState::Taken);
  project.Append("new.htm", LinkState::New);
  project.Append("preferred.jpg", LinkState::Preferred);

  // Every kind flag, on every state, in both letter cases.
  for (int kind : {0, 1})
    for (const char* link : {"taken.htm", "NEW.htm", "Preferred.JPG"})
      EXPECT_FALSE(project.AddLink(link, kind).has_value()) << link << " kind " << kind;

  EXPECT_EQ(States(project), (std::vector<LinkState>{LinkState::Taken, LinkState::New, LinkState::Preferred}));
  EXPECT_EQ(Links(project).size(), 3u);
}

TEST(AddLink, AppendAndResetKeepDuplicateTestInStep) {
  LinkList project;
  project.Append("Start/Page.htm", LinkState::Taken);  // as loaded from a project file
  EXPECT_FALSE(project.AddLink("start/page.htm", 1).has_value());
  EXPECT_EQ(project.AddLink("other.htm", 1), 1);
  project.Reset();
  EXPECT_EQ(project.Size(), 0);
  // Nothing of the old list is remembered after a reset.
  EXPECT_EQ(project.AddLink("START/PAGE.HTM", 1), 0);
  EXPECT_EQ(project.AddLink("other.htm", 0), 1);
  EXPECT_EQ(States(project), (std::vector<LinkState>{LinkState::New, LinkState::Preferred}));
}

TEST(TakeNext, PutBackAndTheSavedRecordKeepEveryLinkFetchable) {
  LinkList project;
  for (const char* link : {"", "a.jpg", "b.htm", "c.jpg"}) project.AddLink(link, 1);
  project.SetCount(0);
  links::TakenLink taken;
  std::vector<int> order;
  while (project.TakeNext({}, taken, {}) == links::TakeResult::Taken) order.push_back(taken.index);
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(project.Count(), 4);

  // While files are on their way, a saved record lists them as they were
  // before they were taken, and does not count them.
  project.Finish(0, false);
  project.Finish(2, true);  // cut by the network: tried again by a later run
  auto saved = project.RecordForSaving();
  EXPECT_EQ(saved.states, (std::vector<LinkState>{LinkState::Taken, LinkState::New, LinkState::New, LinkState::New}));
  EXPECT_EQ(saved.count, 1);

  // A stopped file goes back to new, out of the count, and is taken again.
  project.PutBack(1);
  EXPECT_EQ(project.Count(), 3);
  ASSERT_EQ(project.TakeNext({}, taken, {}), links::TakeResult::Taken);
  EXPECT_EQ(taken.index, 1);
  // An index that names no link changes nothing.
  project.PutBack(-1);
  project.PutBack(9);
  EXPECT_EQ(project.Count(), 4);
  // A count at the top of the range does not wrap.
  project.SetCount(INT32_MAX);
  project.AddLink("d.jpg", 1);
  ASSERT_EQ(project.TakeNext({}, taken, {}), links::TakeResult::Taken);
  EXPECT_EQ(project.Count(), INT32_MAX);
}

TEST(AddLink, ConcurrentAddsListEveryDistinctLinkOnce) {
  constexpr int kThreads = 5;
  constexpr int kShared = 20000;
  constexpr int kOwn = 2000;
  LinkList project;
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
  const auto record = project.Copy();
  ASSERT_EQ(record.links.size(), distinct);
  ASSERT_EQ(record.states.size(), distinct);

  std::set<std::string> lowered;
  for (const auto& link : record.links) lowered.insert(links::AsciiLowered(link));
  EXPECT_EQ(lowered.size(), distinct);

  // Every index handed out is unique and names the link that was added.
  std::vector<int> seen(distinct, 0);
  for (const auto& list : added)
    for (const auto& [link, index] : list) {
      ASSERT_GE(index, 0);
      ASSERT_LT(size_t(index), distinct);
      ++seen[size_t(index)];
      EXPECT_EQ(record.links[size_t(index)], link);
    }
  EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](int n) { return n == 1; }));
}

}  // namespace

namespace {

TEST(FindNoCase, AgreesWithAPlainSearchOnRandomText) {
  std::mt19937 random(7);
  auto text = [&](size_t n) {
    std::string s;
    // '@' and '`' differ only in the bit that folds a letter's case.
    while (s.size() < n) s += "aAbB<>'\" @`"[random() % 11];
    return s;
  };
  auto same = [](char a, char b) { return links::AsciiLower(a) == links::AsciiLower(b); };
  for (int i = 0; i < 20000; ++i) {
    const std::string hay = text(random() % 70), needle = text(random() % 5);
    const size_t from = random() % (hay.size() + 2);
    const auto begin = hay.begin() + long(std::min(from, hay.size()));
    const auto it = std::search(begin, hay.end(), needle.begin(), needle.end(), same);
    const bool none = from > hay.size() || (it == hay.end() && !needle.empty());
    const size_t expected = none ? std::string_view::npos : size_t(it - hay.begin());
    ASSERT_EQ(links::FindNoCase(hay, needle, from), expected) << hay << " / " << needle << " @" << from;
  }
}

}  // namespace
