#pragma once
// Tarvelin's page scanner: a plain text search of a received page for the
// values of anchor "href" and image "src" attributes. There is no HTML parser
// on purpose: comments, scripts and base addresses are not understood.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "engine/page_context.h"
#include "engine/program.h"

namespace tarvelin {

// What ProcessLink does with one value; nobody acts on it but the tests.
enum class Verdict {
  Added,         // added to the list, or listed already
  OtherHost,     // on another host, and no image to take from there
  NotFetched,    // a mail, "www." or file address
  FragmentOnly,  // a place in this page
  OutsideLevel,  // outside the directory level
  TooLong,       // a site link longer than kMaxResolvedLength once resolved
};

// The longest site link kept, once resolved; a longer one is TooLong.
inline constexpr size_t kMaxResolvedLength = 259;

// A value this long or longer is passed over.
inline constexpr size_t kMaxValueLength = 4160;

struct LinkValue {
  std::string_view text;  // raw, as it stands in the page
  int kind;               // 1 from an anchor's "href", 0 from an image's "src"
};

// Walks a page for link values in page order. Every search is forward-only and
// remembers its last answer, so a whole walk stays linear in the page even on
// pages written to defeat it. Reads nothing outside `text`, which need not be
// zero-terminated.
class LinkWalker {
 public:
  LinkWalker(std::string_view text, bool image) : m_text(text), m_image(image) {}

  std::optional<LinkValue> Next();
  // Position of the next link's "href" or "src" at or after `start`, or npos;
  // `kind` becomes 1 for an anchor, 0 for an image.
  size_t FindNextLink(size_t start, int& kind);
  // Bytes the searches have gone through so far: a measure of the walk's work.
  size_t BytesExamined() const { return m_examined; }

 private:
  // The answer to the last search: no match lies in [from, found).
  struct Memo {
    size_t from = std::string_view::npos;
    size_t found = std::string_view::npos;
  };
  template <class Search>
  size_t Find(Memo& memo, size_t from, Search search) {
    if (from < memo.from || from > memo.found) {
      memo.from = from;
      memo.found = search(from);
      m_examined += std::min(memo.found, m_text.size()) - std::min(from, m_text.size());
    }
    return memo.found;
  }
  size_t FindNoCase(Memo& memo, std::string_view needle, size_t from);
  size_t FindByte(Memo& memo, char byte, size_t from);
  size_t FindQuote(size_t from);
  // Whether the tag of the anchor at `anchor` is still open at `href`.
  bool TagReaches(size_t anchor, size_t href);

  std::string_view m_text;
  bool m_image;
  size_t m_pos = 0;
  size_t m_examined = 0;
  Memo m_anchorTag, m_imageTag, m_src, m_href, m_quote, m_equals, m_blank;
  // The last TagReaches sweep: of the anchors in [from, href), `first` is the
  // first whose tag is open at `href` (npos: none).
  struct Reach {
    size_t href = std::string_view::npos;
    size_t from = std::string_view::npos;
    size_t first = std::string_view::npos;
  } m_reach;
};

// Tab, CR and LF go, as browsers drop them; the other-site marker byte is
// escaped so that a page cannot forge an other-site link.
void CleanValue(std::string& value);

// `ProcessLink`: classifies one value and adds what the run wants to the list.
Verdict ProcessLink(engine::PageContext& page, std::string value, int kind);

// `ScanPage`: adds the links of a text page.
void ScanPage(engine::PageContext& page, std::string_view text);

class PageScanner : public engine::PageHandler {
 public:
  void HandlePage(engine::PageContext& page, std::string_view body) override { ScanPage(page, body); }
};

}  // namespace tarvelin
