#include "tarvelin/page_scanner.h"

#include <utility>

#include "links/address.h"
#include "links/ascii.h"
#include "links/link_state.h"
#include "tarvelin/picture_reader.h"

namespace tarvelin {

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsQuote(char c) { return c == '"' || c == '\''; }

// A byte that may stand in an attribute name beside a letter.
bool IsNameByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
         c == ':' || c == '.';
}

// Only the space counts as a blank: a tab or line break is an ordinary byte.
size_t SkipBlanks(std::string_view text, size_t i) {
  while (i < text.size() && text[i] == ' ') ++i;
  return i;
}

// An image value is quoted when, after "src", blanks, one byte (the "=") and
// blanks again, a quote or a backslash follows.
bool ImageValueQuoted(std::string_view text, size_t afterSrc) {
  size_t i = SkipBlanks(text, afterSrc);
  if (i >= text.size()) return false;
  i = SkipBlanks(text, i + 1);
  return i < text.size() && (IsQuote(text[i]) || text[i] == '\\');
}

// An anchor is only taken as href="..." or href='...', blanks allowed.
bool HrefValueQuoted(std::string_view text, size_t afterHref) {
  size_t i = SkipBlanks(text, afterHref);
  if (i >= text.size() || text[i] != '=') return false;
  i = SkipBlanks(text, i + 1);
  return i < text.size() && IsQuote(text[i]);
}

// "<a " in any letter case.
bool IsAnchorStart(std::string_view text, size_t i) {
  return i + 3 <= text.size() && text[i] == '<' && links::AsciiLower(text[i + 1]) == 'a' && text[i + 2] == ' ';
}

// A named anchor is never taken; only this spelling of it counts.
bool IsNamedAnchor(std::string_view text, size_t i) { return text.compare(i, 7, "<a name") == 0; }

bool IsWebAddress(std::string_view value) {
  return links::StartsWithNoCase(value, "http://") || links::StartsWithNoCase(value, "https://");
}

bool HasImageEnding(std::string_view value, bool modernPages) {
  for (const char* ending : {".jpg", ".gif", ".bmp"})
    if (links::EndsWithNoCase(value, ending)) return true;
  if (modernPages)
    for (const char* ending : {".jpeg", ".png", ".webp"})
      if (links::EndsWithNoCase(value, ending)) return true;
  return false;
}

// Archives are taken before pages, like images. Nothing may follow the
// extension: set.zip?x=1 is a page.
bool IsArchive(std::string_view value) {
  return links::EndsWithNoCase(value, ".zip") || links::EndsWithNoCase(value, ".rar");
}

}  // namespace

bool LinkWalker::AskStopNow() {
  m_nextCheck = m_examined + kStopCheckBytes;
  m_stopped = m_stop && m_stop();
  return m_stopped;
}

size_t LinkWalker::FindNoCase(Memo& memo, std::string_view needle, size_t from) {
  return Find(memo, from, needle.size(),
              [&](std::string_view view, size_t f) { return links::FindNoCase(view, needle, f, &m_examined); });
}

// An image's "src" is the attribute of that name, not the tail of
// "data-src" nor the head of "srcset".
size_t LinkWalker::FindSrc(size_t from) {
  return Find(m_src, from, 3, [&](std::string_view view, size_t f) {
    for (size_t at = f;; ++at) {
      at = links::FindNoCase(view, "src", at, &m_examined);
      if (at == npos) return npos;
      if ((at == 0 || !IsNameByte(m_text[at - 1])) && (at + 3 >= m_text.size() || !IsNameByte(m_text[at + 3])))
        return at;
    }
  });
}

size_t LinkWalker::FindByte(Memo& memo, char byte, size_t from) {
  return Find(memo, from, 1, [&](std::string_view view, size_t f) {
    const size_t found = view.find(byte, f);
    m_examined += (found == npos ? view.size() : found + 1) - f;
    return found;
  });
}

size_t LinkWalker::FindQuote(size_t from) {
  return Find(m_quote, from, 1, [&](std::string_view view, size_t f) {
    // find_first_of asks memchr about the two quotes for every byte.
    size_t found = f;
    while (found < view.size() && !IsQuote(view[found])) ++found;
    m_examined += (found == view.size() ? found : found + 1) - f;
    return found == view.size() ? npos : found;
  });
}

bool LinkWalker::TagReaches(size_t anchor, size_t href) {
  Reach& r = m_reach;
  if (href != r.href || anchor < r.from || anchor > r.first) {
    // One pass back from the href marks, for each state a byte can be read in
    // (outside quotes, inside "...", inside '...'), whether the tag is still
    // open at the href. Every anchor between gets its answer from this one
    // pass, so passing over a run of anchors costs no more than the run.
    bool outside = true, inDouble = true, inSingle = true;
    r = Reach{href, anchor, npos};
    for (size_t i = href; i-- > anchor;) {
      const char c = m_text[i];
      if (c == '>')
        outside = false;
      else if (c == '"')
        std::swap(outside, inDouble);
      else if (c == '\'')
        std::swap(outside, inSingle);
      if (outside && IsAnchorStart(m_text, i) && !IsNamedAnchor(m_text, i)) r.first = i;
    }
    m_examined += href - anchor;
  }
  return anchor == r.first;
}

size_t LinkWalker::FindNextLink(size_t start, int& kind) {
  kind = 0;
  size_t anchor = FindNoCase(m_anchorTag, "<a ", start);
  while (anchor != npos) {
    if (m_image) {
      // "<img " cannot straddle the "<" of the anchor, so a match before the
      // anchor lies wholly in front of it.
      const size_t image = FindNoCase(m_imageTag, "<img ", start);
      if (image < anchor) return FindSrc(image);  // none ends the scan
    }
    kind = 1;
    start = anchor + 1;
    if (!IsNamedAnchor(m_text, anchor)) {
      // Only an href inside the anchor's own tag is the anchor's; an anchor
      // without one (<a id=...>) is passed over like a named one.
      const size_t href = FindNoCase(m_href, "href", anchor);
      if (href != npos && TagReaches(anchor, href)) {
        if (HrefValueQuoted(m_text, href + 4)) return href;
        start = href + 1;
      }
    }
    kind = 0;
    anchor = FindNoCase(m_anchorTag, "<a ", start);
  }
  if (!m_image) return npos;
  const size_t image = FindNoCase(m_imageTag, "<img ", start);
  return image == npos ? npos : FindSrc(image);
}

std::optional<LinkValue> LinkWalker::Next() {
  int kind = 0;
  for (size_t at; !AskStop() && (at = FindNextLink(m_pos, kind)) != npos;) {
    const bool quoted = kind == 1 || ImageValueQuoted(m_text, at + 3);
    size_t start = quoted ? FindQuote(at) : FindByte(m_equals, '=', at);
    if (start == npos) {
      m_pos = at + 1;
      continue;
    }
    ++start;
    const size_t end = quoted ? FindQuote(start) : FindByte(m_blank, ' ', start);
    if (end == npos) {
      m_pos = start + 1;
      continue;
    }
    m_pos = end + 1;
    if (end - start >= kMaxValueLength) continue;
    return LinkValue{m_text.substr(start, end - start), kind};
  }
  m_pos = npos;
  return std::nullopt;
}

void CleanValue(std::string& value) {
  if (value.find_first_of("\t\r\n\x01") == npos) return;
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    if (c == '\t' || c == '\r' || c == '\n') continue;
    if (c == links::kOtherSiteMarker)
      out += "%01";
    else
      out += c;
  }
  value = std::move(out);
}

Verdict ProcessLink(engine::PageContext& page, std::string value, int kind) {
  CleanValue(value);
  const engine::Site& site = page.StartSite();
  bool root = false;
  bool otherSite = false;

  // "//host/path" means the start site's scheme.
  if (value.starts_with("//")) value.insert(0, site.secure ? "https:" : "http:");
  if (IsWebAddress(value)) {
    const auto address = links::SplitAddress(value);
    if (address && address->host == site.host) {
      value = address->object;
      root = true;
    } else if (page.Switches().diffRoot && HasImageEnding(value, page.Switches().modernPages)) {
      otherSite = true;
    } else {
      return Verdict::OtherHost;
    }
  } else if (links::StartsWithNoCase(value, "mailto:") || links::StartsWithNoCase(value, "www.") ||
             links::StartsWithNoCase(value, "file://")) {
    return Verdict::NotFetched;
  }

  if (value.starts_with('#')) return Verdict::FragmentOnly;
  if (value.starts_with('/')) {
    value.erase(0, 1);
    root = true;
  }
  page.ResolveLink(value, root, otherSite);
  // The page directory grows with every "../" resolved against it; the
  // bound ends a crawl that would otherwise walk "a/../a/../" for ever.
  if (!otherSite && value.size() > kMaxResolvedLength) return Verdict::TooLong;
  if (page.TestDirectoryLevel(value, root, otherSite) != 0) return Verdict::OutsideLevel;
  page.AddLink(value, kind);
  return Verdict::Added;
}

void ScanPage(engine::PageContext& page, std::string_view body) {
  // A zero byte ends the page text.
  const std::string_view text = body.substr(0, body.find('\0'));
  LinkWalker walker(text, page.Switches().image, [&page] { return page.ShouldStop(); });
  while (const auto found = walker.Next()) {
    std::string value(found->text);
    CleanValue(value);
    const int kind = found->kind == 1 && IsArchive(value) ? 0 : found->kind;
    ProcessLink(page, std::move(value), kind);
  }
  if (!page.Switches().modernPages || !page.Switches().image) return;
  // The second reading: what it finds goes after the page's own links and
  // meets the rules of an image tag's address. A page without any of the
  // shapes it reads is spared the parser, which costs more than the search.
  const auto stop = [&page] { return page.ShouldStop(); };
  if (!MayHoldMorePictures(text, stop)) return;
  const PictureAddresses pictures = ReadPictureAddresses(text, stop);
  for (const std::string& value : pictures.values) {
    if (page.Cut()) return;
    if (value.size() < kMaxValueLength) ProcessLink(page, value, 0);
  }
}

}  // namespace tarvelin
