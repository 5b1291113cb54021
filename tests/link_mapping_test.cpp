#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "links/link_mapping.h"
#include "platform/request_target.h"

namespace {

using platform::EncodeRequestTarget;
using links::MapLocalPath;
using links::ResolveLink;
using links::TestDirectoryLevel;

std::string Resolved(std::string link, bool root, bool otherSite, const std::string& pageDir) {
  ResolveLink(link, root, otherSite, pageDir);
  return link;
}

TEST(ResolveLink, StoredForms) {
  struct Row {
    std::string link;
    bool root;
    bool otherSite;
    std::string pageDir;
    std::string expected;
  };
  const Row rows[] = {
      {"pic01.jpg", false, false, "gallery", "gallery/pic01.jpg"},
      {"pic01.jpg", false, false, "", "pic01.jpg"},
      {"../top.htm", false, false, "gallery/2007", "gallery/2007/../top.htm"},
      {"show.php?a=1&amp;b=2", false, false, "", "show.php?a=1&b=2"},
      {"img/logo.gif", true, false, "gallery", "img/logo.gif"},
      {"http://otherhost/p/a.jpg", false, true, "gallery", "gallery/\x01http://otherhost/p/a.jpg"},
      {"http://otherhost/p/a.jpg", false, true, "", "\x01http://otherhost/p/a.jpg"},
      // Nothing is folded or percent-decoded here.
      {"./x.htm", false, false, "gallery", "gallery/./x.htm"},
      {"a%20b.jpg", false, false, "g", "g/a%20b.jpg"},
      {"", false, false, "", ""},
      {"", false, false, "gallery", "gallery/"},
      {"http://o/a.jpg?x=1&amp;y=2", false, true, "g", "g/\x01http://o/a.jpg?x=1&y=2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.link + " in " + row.pageDir);
    EXPECT_EQ(Resolved(row.link, row.root, row.otherSite, row.pageDir), row.expected);
  }
}

TEST(ResolveLink, CharacterReferences) {
  struct Row {
    std::string link;
    std::string expected;
  };
  const Row rows[] = {
      {"a&amp;amp;b", "a&b"},  // a repeated encoding collapses
      {"a&amp;amp;amp;b&amp;c", "a&b&c"},
      {"a&AMP;b", "a&AMP;b"},  // the match is exact
      {"a&amp b", "a&amp b"},
      {"&amp;", "&"},
      {"&amp;#46;", "&#46;"},  // the text "&#46;" as written in the page
      {"x&", "x&"},
      {"x&#", "x&#"},
      {"&#46;&#46;/x.jpg", "../x.jpg"},
      {"a&#x2e;jpg", "a.jpg"},
      {"a&#X2E;jpg", "a.jpg"},
      {"caf&#233;.jpg", "caf\xC3\xA9.jpg"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"&#x7ff;&#x800;", "\xDF\xBF\xE0\xA0\x80"},
      {"&#38;amp;", "&amp;"},  // a decoded "&" is not decoded again
      // Left as written: no ";", no digits, too many digits, and values that
      // are no character or would change the link's meaning.
      {"&#46", "&#46"},
      {"&#;", "&#;"},
      {"&#x;", "&#x;"},
      {"&#4x;", "&#4x;"},
      {"&#000000046;", "&#000000046;"},
      {"&#0;", "&#0;"},
      {"&#1;", "&#1;"},
      {"&#10;", "&#10;"},
      {"&#x7F;", "&#x7F;"},
      {"&#x9f;", "&#x9f;"},
      {"&#xD800;", "&#xD800;"},
      {"&#x110000;", "&#x110000;"},
      {"&#xFFFFFFFF;", "&#xFFFFFFFF;"},
      {"&eacute;", "&eacute;"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.link);
    EXPECT_EQ(Resolved(row.link, true, false, "dir"), row.expected);
  }
  // Decoding comes before the page directory is put in front.
  EXPECT_EQ(Resolved("&#46;&#46;/x.jpg", false, false, "g"), "g/../x.jpg");
  EXPECT_EQ(Resolved("http://o/a.jpg?a&amp;b", false, true, ""), "\x01http://o/a.jpg?a&b");
}

TEST(MapLink, DirectoryLevel) {
  struct Row {
    std::string pageDir;
    int level;
    std::string link;  // as left by the scanner, leading "/" already removed
    bool root;
    bool otherSite;
    int expected;
  };
  const Row rows[] = {
      // "Same directory" from gallery/index.htm
      {"gallery", 1, "pic.jpg", false, false, 0},
      {"gallery", 1, "sub/pic.jpg", false, false, 1},
      {"gallery", 1, "pic.jpg", true, false, 2},
      {"gallery", 1, "gallery/pic.jpg", true, false, 0},
      {"gallery", 1, "Gallery/pic.jpg", true, false, 1},
      {"gallery", 1, "./x.htm", false, false, 1},
      {"gallery", 1, "../x.htm", false, false, 1},
      {"gallery", 1, "", true, false, 2},
      {"gallery", 1, "http://other/a/b.jpg", false, true, 0},
      // "Same directory" from a page at the root
      {"", 1, "pic.jpg", false, false, 0},
      {"", 1, "x.htm", true, false, 0},
      {"", 1, "", true, false, 0},
      {"", 1, "sub/pic.jpg", false, false, 1},
      {"", 1, "sub/pic.jpg", true, false, 1},
      // Any level other than 1 is "Entire site".
      {"gallery", 0, "sub/pic.jpg", false, false, 0},
      {"gallery", 0, "pic.jpg", true, false, 0},
      {"gallery", 2, "../x.htm", false, false, 0},
      {"gallery", -1, "pic.jpg", true, false, 0},
  };
  for (const Row& row : rows) {
    const std::string resolved = Resolved(row.link, row.root, row.otherSite, row.pageDir);
    SCOPED_TRACE(resolved + " from " + row.pageDir + " level " + std::to_string(row.level));
    EXPECT_EQ(TestDirectoryLevel(resolved, row.root, row.otherSite, row.pageDir, row.level),
              row.expected);
  }
}

TEST(MapLink, LocalPath) {
  struct Row {
    std::string link;
    bool text;
    std::string expected;
  };
  const Row rows[] = {
      {"", false, "index.htm"},
      {"", true, "index.htm"},
      {"gallery/pic01.jpg", false, "gallery/pic01.jpg"},
      {"show.php?id=5&page=2", true, "show.php;id=5&page=2.htm"},
      {"cgi/img.php?f=a.jpg", false, "cgi/img.php;f=a.jpg"},
      {"pics/my%20photo.jpg", false, "pics/my photo.jpg"},
      {"pics/a%41%42.jpg", false, "pics/aAB.jpg"},
      {"docs/page.htm#top", true, "docs/page.htm"},
      {"docs/page.php#top", true, "docs/page.php.htm"},
      {"docs/page.php#top", false, "docs/page.php.htm"},
      {"news.HTML", true, "news.HTML"},
      {"docs/", true, "docs/.htm"},
      {"docs/", false, "docs/docs"},
      {"a|b:c.jpg", false, "abc.jpg"},
      {"q?x=1/y.jpg", false, "q?x=1/y.jpg"},
      {"images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=cats", true,
       "images;gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=cats.htm"},
      // Decoding runs after the filter, and only once.
      {"a%3Fb.jpg", false, "a?b.jpg"},
      {"a%2A%3a%7C.jpg", false, "a*:|.jpg"},
      {"a%2541.jpg", false, "a%41.jpg"},
      {"a%25%25.jpg", false, "a%%.jpg"},
      {"100%.jpg", false, "100%.jpg"},
      {"a%4", false, "a%4"},
      {"a%", false, "a%"},
      {"a%zz%4g.jpg", false, "a%zz%4g.jpg"},
      {"a*\"<>.jpg", false, "a.jpg"},
      {"a:b/c:d.jpg", false, "a:b/cd.jpg"},  // the directory part is not filtered
      // The suffix and the "#".
      {"page.html#x", true, "page.html.htm"},
      {"page.HTM#x", false, "page.HTM"},
      {"page.html", true, "page.html"},
      {"x.jpg", true, "x.jpg.htm"},
      {"x.htm", false, "x.htm"},
      {"#x", true, ".htm"},
      {"a#b#c", false, "a#b.htm"},
      {"x%23y.htm", true, "x.htm"},  // a decoded "#" counts too
      {"a.htm#x/y.jpg", false, "a.htm"},
      {"htm", true, "htm.htm"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.link + (row.text ? " (text)" : ""));
    EXPECT_EQ(MapLocalPath(row.link, row.text), row.expected);
  }
}

TEST(MapLink, LocalPathStaysInProjectFolder) {
  struct Row {
    std::string link;
    std::string expected;  // not a text page
  };
  const Row rows[] = {
      {"../../etc/passwd", "etc/passwd"},
      {"/abs/x.jpg", "abs/x.jpg"},
      {"a/../../x.jpg", "x.jpg"},
      {"a/b/../c.jpg", "a/c.jpg"},
      {"q%2F..%2F..%2Fx", "q_.._.._x"},
      {"..%2F..%2Fx", ".._.._x"},
      {"..", "_.."},
      {".", "_."},
      {"%2E%2E", "_.."},
      {"a/%2e", "a/_."},
      {"a//b/./c.jpg", "a/b/c.jpg"},
      {"%00", "_"},
      {"a%00b.jpg", "a_b.jpg"},
      {std::string("a\0b.jpg", 7), "a_b.jpg"},
      // A link that names no file is named after its folder.
      {"../", "index"},
      {"d/", "d/d"},
      {"x/:::", "x/x"},
      // Control bytes never reach a name; nothing begins like a temporary file.
      {"a%1B%5B2J%C2%9B%7F\tb.jpg", "a_[2J___b.jpg"},
      {"~part-abcdefghij.tmp", "_part-abcdefghij.tmp"},
      {"~d/~x.jpg", "_d/_x.jpg"},
      {"..#x", "...htm"},
      // Names longer than a file system takes are cut, keeping the extension.
      {"d/" + std::string(300, 'n') + ".jpeg", "d/" + std::string(235, 'n') + ".jpeg"},
      {std::string(300, 'd') + "/x.jpg", std::string(240, 'd') + "/x.jpg"},
  };
  for (bool text : {false, true})
    for (const Row& row : rows) {
      SCOPED_TRACE(row.link + (text ? " (text)" : ""));
      const std::string path = MapLocalPath(row.link, text);
      if (!text) {
        EXPECT_EQ(path, row.expected);
      }

      EXPECT_TRUE(path.empty() || path.front() != '/');
      EXPECT_EQ(path.find('\0'), std::string::npos);
      std::vector<std::string> segments;
      size_t start = 0;
      for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
        segments.push_back(path.substr(start, slash - start));
      const std::string name = path.substr(start);
      for (const auto& dir : segments) {
        EXPECT_FALSE(dir.empty() || dir == "." || dir == "..") << path;
      }
      EXPECT_NE(name, ".");
      EXPECT_NE(name, "..");
      if (text) {
        EXPECT_FALSE(name.empty()) << path;
      }
    }
}

TEST(EncodeRequestTarget, EscapesOnlyWhatMayNotBeSent) {
  struct Row {
    std::string object;
    std::string expected;
  };
  const Row rows[] = {
      {"/a/b.jpg?x=1&y=2;z", "/a/b.jpg?x=1&y=2;z"},
      {"/x/../y/./z", "/x/../y/./z"},
      {"/~!$'()*+,=:@[]", "/~!$'()*+,=:@[]"},
      {"/a b.jpg", "/a%20b.jpg"},
      {"/\"<>\\^`{|}", "/%22%3C%3E%5C%5E%60%7B%7C%7D"},
      {std::string("/\x01\t\n\x7F", 5), "/%01%09%0A%7F"},
      {std::string("/\0", 2), "/%00"},
      {"/caf\xC3\xA9", "/caf%C3%A9"},
      {"/\xFF", "/%FF"},
      {"/a%20b%2e", "/a%20b%2e"},  // existing escapes pass as written
      {"/100%", "/100%25"},
      {"/%4", "/%254"},
      {"/%zz%4g", "/%25zz%254g"},
      {"/%%41", "/%25%41"},
      {"", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.object);
    EXPECT_EQ(EncodeRequestTarget(row.object), row.expected);
  }
}

}  // namespace
