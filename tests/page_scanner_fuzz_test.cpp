// Random and hostile pages: the scanner must stay inside the page, stay
// linear, and store only well-formed links. Run under AddressSanitizer too.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "links/ascii.h"
#include "tests/support/page_fixture.h"
#include "links/link_state.h"
#include "tarvelin/page_scanner.h"

using namespace tarvelin;

namespace {

const std::vector<std::string> kPieces = {
    "<a href=", "<a ", "<A HREF=", "<a name", "<A NAME ", "<img src", "<IMG SRC=", "<img ", "src", "href",
    "'", "\"", "\\", "=", " ", "  ", ">", "http://", "https://", "HTTP://", "//", "thishost", "otherhost",
    "/", "#", ".jpg", ".GIF", ".zip", "mailto:", "www.", "file://", "x", "a/b", "..", "\t", "\r\n", "\n",
    "\x01", std::string(1, '\0'), "&amp;", "&#46;", "&#x2e;", "&#10;", "&#", "\xff",
    // Whole openings and addresses, so that many pages carry links at all.
    "<a href='", "<a href=\"", "<img src='", "<img src=\"", "<img src=", "<IMG SRC=\\\"",
    "http://otherhost/p.jpg", "http://thishost/", "HTTP://thishost/gallery/", "//otherhost/a.gif",
    "https://otherhost/b.bmp", "//thishost/", "'>", "\">",
    "<img src='http://otherhost/p.jpg'>", "<img src=//otherhost/a.gif >", "<a href=\"/x.zip\">",
    "<img src='http://oth\ter\nhost/\x01http://x/p.jpg'>", "<a href=\"http://thishost/\r\na/b\">",
};

std::string RandomPage(std::mt19937& rng) {
  std::uniform_int_distribution<int> count(0, 60);
  std::uniform_int_distribution<size_t> piece(0, kPieces.size() - 1);
  std::uniform_int_distribution<int> coin(0, 29);
  std::uniform_int_distribution<size_t> nearLimit(kMaxValueLength - 12, kMaxValueLength + 2);
  std::string page;
  for (int n = count(rng); n > 0; --n) {
    const int c = coin(rng);
    if (c == 0)
      page += std::string(nearLimit(rng), 'v');  // a value around the length limit
    else if (c == 1)
      page += char(rng());
    else
      page += kPieces[piece(rng)];
  }
  return page;
}

// Copies into an allocation of exactly the page's size, so that ASan sees
// any read past the end.
std::vector<LinkValue> WalkExact(const std::string& page, bool image,
                                 std::unique_ptr<char[]>& buffer) {
  buffer = std::make_unique<char[]>(page.size());
  std::memcpy(buffer.get(), page.data(), page.size());
  LinkWalker walker(std::string_view(buffer.get(), page.size()), image);
  std::vector<LinkValue> values;
  while (auto v = walker.Next()) values.push_back(*v);
  return values;
}

void ExpectWellFormed(const std::string& link, const std::string& pageDir, int level) {
  EXPECT_EQ(link.find_first_of(std::string("\t\r\n\0", 4)), std::string::npos);
  const size_t marker = link.find(links::kOtherSiteMarker);
  if (marker != std::string::npos) {
    EXPECT_EQ(link.find(links::kOtherSiteMarker, marker + 1), std::string::npos);
    EXPECT_EQ(link.substr(0, marker), pageDir.empty() ? "" : pageDir + "/");
    const std::string address = link.substr(marker + 1);
    EXPECT_TRUE(links::StartsWithNoCase(address, "http://") || links::StartsWithNoCase(address, "https://"));
  } else if (level == 1) {
    const size_t slash = link.rfind('/');
    EXPECT_EQ(slash == std::string::npos ? "" : link.substr(0, slash), pageDir);
  }
}

TEST(PageScannerFuzz, RandomPagesGiveWellFormedLinks) {
  std::mt19937 rng(20261207);
  PageFixture f;
  const std::string pageDirs[] = {"", "gallery", "a/b"};
  for (int i = 0; i < 3000; ++i) {
    const std::string page = RandomPage(rng);
    SCOPED_TRACE(testing::PrintToString(page));
    const bool image = rng() & 1;

    std::unique_ptr<char[]> buffer;
    const auto values = WalkExact(page, image, buffer);
    EXPECT_LE(values.size(), page.size());
    for (const LinkValue& v : values) {
      EXPECT_LT(v.text.size(), kMaxValueLength);
      EXPECT_TRUE(v.kind == 0 || v.kind == 1);
      EXPECT_TRUE(v.text.data() >= buffer.get() && v.text.data() + v.text.size() <= buffer.get() + page.size());
    }

    f.links.Reset();
    f.switches.image = image;
    f.switches.diffRoot = rng() & 1;
    f.switches.level = rng() & 1;
    f.site.secure = rng() & 1;
    const std::string pageDir = pageDirs[rng() % 3];
    auto context = f.Page(pageDir);
    ScanPage(context, page);
    const auto record = f.links.Copy();
    for (size_t k = 0; k < record.links.size(); ++k) {
      ExpectWellFormed(record.links[k], pageDir, f.switches.level);
      EXPECT_NE(record.states[k], links::LinkState::Taken);
    }
  }
}

// Patterns that would make a naive scan quadratic: every tag sends a search
// to the end of the page and the next tag starts it again. The walk's work is
// counted rather than timed: it must stay a small multiple of the page.
TEST(PageScannerFuzz, HostilePagesStayLinear) {
  const std::string patterns[] = {"<img src", "<img src=x", "<img src=\\", "<a ", "<a name=x ",
                                  "<img src='x' <a ", "<a href='x", "<a id='x'>", "<a '", "<a \"'>",
                                  "<a title='>' ", "<a class=c><img src='y'>"};
  for (const std::string& pattern : patterns) {
    for (const char* end : {"", "<a href='end.htm'>"}) {
      std::string page;
      while (page.size() < 400'000) page += pattern;
      page += end;
      SCOPED_TRACE(pattern + end);
      LinkWalker walker(page, true);
      while (walker.Next()) {
      }
      EXPECT_LE(walker.BytesExamined(), 8 * page.size());
    }
  }
}

}  // namespace
