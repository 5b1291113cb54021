#pragma once
// Tarvelin's page scanner: a plain text search of a received page for the
// values of anchor "href" and image "src" attributes. There is no HTML parser
// on purpose: comments, scripts and base addresses are not understood.
#include <algorithm>
#include <cstddef>
#include <functional>
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

// Bytes the scan may look at between two questions whether to stop.
inline constexpr size_t kStopCheckBytes = 64 * 1024;

// Walks a page for link values in page order. Every search is forward-only and
// remembers its last answer, so a whole walk stays linear in the page even on
// pages written to defeat it. Reads nothing outside `text`, which need not be
// zero-terminated. `stop` is asked at least every kStopCheckBytes examined;
// once it says yes the walk ends.
class LinkWalker {
 public:
  LinkWalker(std::string_view text, bool image, std::function<bool()> stop = {})
      : m_text(text), m_image(image), m_stop(std::move(stop)) {}

  std::optional<LinkValue> Next();
  // Position of the next link's "href" or "src" at or after `start`, or npos;
  // `kind` becomes 1 for an anchor, 0 for an image.
  size_t FindNextLink(size_t start, int& kind);
  // Bytes the searches have gone through so far: a measure of the walk's work.
  size_t BytesExamined() const { return m_examined; }
  // Whether the walk ended because `stop` said so.
  bool Stopped() const { return m_stopped; }

 private:
  // The answer to the last search: no match lies in [from, found).
  struct Memo {
    size_t from = std::string_view::npos;
    size_t found = std::string_view::npos;
  };
  // `search(view, from)` looks for a match of `width` bytes starting in
  // [from, view.size() - width], adding what it looks at to m_examined. The
  // view is cut so that no single search runs past a stop check.
  template <class Search>
  size_t Find(Memo& memo, size_t from, size_t width, Search search) {
    if (from >= memo.from && from <= memo.found) return memo.found;
    memo.from = from;
    memo.found = std::string_view::npos;
    for (size_t at = from; !AskStop();) {
      const size_t limit = std::min(m_text.size(), at + kStopCheckBytes + width - 1);
      const size_t found = at > limit ? std::string_view::npos : search(m_text.substr(0, limit), at);
      if (found != std::string_view::npos || limit == m_text.size()) {
        memo.found = found;
        break;
      }
      at = limit - (width - 1);
    }
    return memo.found;
  }
  bool AskStop() { return m_stopped || (m_examined >= m_nextCheck && AskStopNow()); }
  bool AskStopNow();
  size_t FindNoCase(Memo& memo, std::string_view needle, size_t from);
  size_t FindSrc(size_t from);
  size_t FindByte(Memo& memo, char byte, size_t from);
  size_t FindQuote(size_t from);
  // Whether the tag of the anchor at `anchor` is still open at `href`.
  bool TagReaches(size_t anchor, size_t href);

  std::string_view m_text;
  bool m_image;
  std::function<bool()> m_stop;
  bool m_stopped = false;
  size_t m_nextCheck = 0;
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
