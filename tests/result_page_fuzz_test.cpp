// Random pages built from pieces of the markers: the reader must stay inside
// the page and add only well-formed links. Run under AddressSanitizer too.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/page_fixture.h"
#include "links/link_state.h"
#include "quorvash/result_page.h"

using namespace quorvash;

namespace {

const std::vector<std::string> kPieces = {
    "Did you mean:", "<b><i>", "</i></b>", "Did you mean: <b><i>", "<td nowrap class=b><a href=",
    "<td nowrap class=b>", "a href=", "<a href=/imgres?imgurl=", "&imgrefurl=", "&imgref",
    "<a href=/imgres?img", "</i>", "<b>", "\"", "\"\"", "/", "//", ">", "\">", "&", "=",
    std::string("\0", 1), "\r\n", "\t", "\x01", "\xFF\xFE", "http://h/p.jpg", "images?q=x",
    " ", "ab", "DID YOU MEAN:", "<A HREF=/IMGRES?IMGURL=",
    "<a href=/imgres?imgurl=http://h/q.jpg&imgrefurl=", "Did you mean: <b><i>ab</i></b>",
};

std::string RandomPage(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 40);
  std::uniform_int_distribution<size_t> piece(0, kPieces.size() - 1);
  std::uniform_int_distribution<int> coin(0, 9);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string page;
  for (int n = count(rng); n > 0; --n) {
    if (coin(rng) == 0)
      page += char(byte(rng));
    else if (coin(rng) == 0)
      page += std::string(size_t(count(rng)) * 2, 's');  // around the suggestion's limit
    else
      page += kPieces[piece(rng)];
  }
  // Exact capacity: a read past the end is a read past the allocation
  // (pages longer than the short-string buffer).
  page.shrink_to_fit();
  return page;
}

std::string UpToZero(const std::string& page) { return page.substr(0, page.find('\0')); }

TEST(ResultPageFuzz, RandomPagesGiveWellFormedLinks) {
  const std::string suggestionQuery = "images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=";
  std::mt19937 rng(20240611);
  PageFixture f(true);

  auto readFresh = [&](const std::string& page, bool yes) {
    f.links.Reset();
    f.view.Answer(engine::Question::Suggestion, yes);
    auto context = f.Page();
    const int result = ReadResultPage(context, page) ? 1 : 0;
    return std::make_pair(result, f.Links());
  };

  for (int i = 0; i < 5000; ++i) {
    const std::string page = RandomPage(rng);
    const bool yes = i % 3 == 0;
    const auto [result, links] = readFresh(page, yes);
    SCOPED_TRACE(testing::PrintToString(page));

    const std::string text = UpToZero(page);
    for (const std::string& link : links) {
      const bool other = !link.empty() && link[0] == links::kOtherSiteMarker;
      const std::string rest = other ? link.substr(1) : link;
      EXPECT_EQ(rest.find_first_of(std::string("\t\r\n\0\x01", 5)), std::string::npos);
      EXPECT_LE(link.size(), std::max(text.size(), suggestionQuery.size() + 64));
      if (other) {
        EXPECT_FALSE(rest.empty());
      } else if (rest.rfind(suggestionQuery, 0) != 0) {
        EXPECT_TRUE(rest.empty() || (rest[0] != '"' && rest[0] != '/')) << rest;
      }
    }
    EXPECT_EQ(f.States(), std::vector<links::LinkState>(links.size(), links::LinkState::New));
    if (result == 1) {
      ASSERT_EQ(links.size(), 1u);
      EXPECT_EQ(links[0].rfind(suggestionQuery, 0), 0u);
    } else {
      EXPECT_EQ(result, 0);
    }

    // Nothing behind the first zero byte counts.
    if (text.size() != page.size()) {
      std::string cut = text;
      cut.shrink_to_fit();
      EXPECT_EQ(readFresh(cut, yes), std::make_pair(result, links));
    }
    if (HasFailure()) return;  // one page's trace is enough
  }
}

}  // namespace
