#include "tarvelin/picture_reader.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "links/ascii.h"

namespace tarvelin {

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr int kTagsPerCheck = 1024;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// The parser is told the page is ISO-8859-1, so every byte comes back as one
// character; turning those back into bytes gives the value exactly as it
// stands in the page, whatever its real encoding. Characters above 255 can
// only come from character references; they stay UTF-8.
std::string PageBytes(const xmlChar* value) {
  std::string out;
  for (const unsigned char* p = value; *p;) {
    if (*p < 0x80) {
      out += char(*p++);
    } else if ((*p & 0xE0) == 0xC0 && (p[1] & 0xC0) == 0x80 && *p <= 0xC3) {
      out += char(((p[0] & 0x1F) << 6) | (p[1] & 0x3F));
      p += 2;
    } else {
      out += char(*p++);
    }
  }
  return out;
}

// One candidate's density or width: "640w", "2x", "1.5x".
double Descriptor(std::string_view token, char unit) {
  if (token.size() < 2 || links::AsciiLower(token.back()) != unit) return -1;
  const std::string number(token.substr(0, token.size() - 1));
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  return end == number.c_str() + number.size() && value > 0 ? value : -1;
}

struct Reader {
  explicit Reader(const std::function<bool()>& stopCheck) : stop(stopCheck) {}

  void Add(std::string_view value) {
    value = Trimmed(value);
    if (value.empty() || links::StartsWithNoCase(value, "data:")) return;
    std::string v(value);
    if (seen.insert(v).second) out.values.push_back(std::move(v));
  }

  void Tag(const std::string& name, const xmlChar** attributes) {
    if (++tags % kTagsPerCheck == 0 && stop && stop()) {
      out.stopped = true;
      xmlStopParser(context);
      return;
    }
    const bool image = name == "img", source = name == "source";
    std::string property, content, rel, href;
    for (const xmlChar** a = attributes; a && a[0]; a += 2) {
      const std::string key = links::AsciiLowered(reinterpret_cast<const char*>(a[0]));
      if (!a[1]) continue;
      const std::string value = PageBytes(a[1]);
      if (key == "style") {
        AppendCssUrls(value, found);
      } else if (image || source) {
        if (key == "srcset" || key == "data-srcset")
          found.push_back(LargestSrcsetCandidate(value));
        else if ((image && key == "src") || key == "data-src" || key == "data-original" ||
                 key == "data-lazy-src" || key == "data-full" || key == "data-large_image")
          found.push_back(value);
      } else if (key == "property" || key == "name") {
        property = links::AsciiLowered(Trimmed(value));
      } else if (key == "content") {
        content = value;
      } else if (key == "rel") {
        rel = links::AsciiLowered(value);
      } else if (key == "href") {
        href = value;
      }
    }
    if (name == "meta" && (property == "og:image" || property == "og:image:url" ||
                           property == "og:image:secure_url" || property == "twitter:image" ||
                           property == "twitter:image:src"))
      found.push_back(content);
    if (name == "link" && (" " + rel + " ").find(" image_src ") != std::string::npos) found.push_back(href);
    for (const std::string& f : found) Add(f);
    found.clear();
  }

  const std::function<bool()>& stop;
  htmlParserCtxtPtr context = nullptr;
  PictureAddresses out;
  std::unordered_set<std::string> seen;
  std::vector<std::string> found;
  int styleDepth = 0;
  std::string style;
  long tags = 0;
};

Reader& Of(void* data) { return *static_cast<Reader*>(data); }

void OnStart(void* data, const xmlChar* name, const xmlChar** attributes) {
  Reader& r = Of(data);
  const std::string tag = links::AsciiLowered(reinterpret_cast<const char*>(name));
  if (tag == "style") ++r.styleDepth;
  r.Tag(tag, attributes);
}

void OnEnd(void* data, const xmlChar* name) {
  Reader& r = Of(data);
  if (r.styleDepth == 0 || !links::EqualsNoCase(reinterpret_cast<const char*>(name), "style")) return;
  if (--r.styleDepth == 0) {
    AppendCssUrls(PageBytes(reinterpret_cast<const xmlChar*>(r.style.c_str())), r.found);
    r.style.clear();
    for (const std::string& f : r.found) r.Add(f);
    r.found.clear();
  }
}

void OnText(void* data, const xmlChar* text, int length) {
  Reader& r = Of(data);
  if (r.styleDepth > 0) r.style.append(reinterpret_cast<const char*>(text), size_t(length));
}

void OnError(void*, xmlErrorPtr) {}

}  // namespace

std::string LargestSrcsetCandidate(std::string_view srcset) {
  std::string_view byWidth, byDensity;
  double bestWidth = 0, bestDensity = 0;
  size_t i = 0;
  while (i < srcset.size()) {
    while (i < srcset.size() && (IsSpace(srcset[i]) || srcset[i] == ',')) ++i;
    const size_t start = i;
    while (i < srcset.size() && !IsSpace(srcset[i])) ++i;
    std::string_view url = srcset.substr(start, i - start);
    double width = -1, density = -1;
    if (!url.empty() && url.back() == ',') {
      while (!url.empty() && url.back() == ',') url.remove_suffix(1);
    } else {
      // Descriptors run to the next comma outside parentheses.
      int depth = 0;
      for (size_t token = i;; ++i) {
        const bool end = i >= srcset.size() || (depth == 0 && srcset[i] == ',');
        if (end || IsSpace(srcset[i])) {
          const std::string_view t = srcset.substr(token, i - token);
          width = std::max(width, Descriptor(t, 'w'));
          density = std::max(density, Descriptor(t, 'x'));
          token = i + 1;
        }
        if (end) break;
        if (srcset[i] == '(') ++depth;
        if (srcset[i] == ')' && depth > 0) --depth;
      }
    }
    if (url.empty() || links::StartsWithNoCase(url, "data:")) continue;
    if (width > bestWidth) bestWidth = width, byWidth = url;
    if (width < 0 && (density < 0 ? 1.0 : density) > bestDensity)
      bestDensity = density < 0 ? 1.0 : density, byDensity = url;
  }
  return std::string(byWidth.empty() ? byDensity : byWidth);
}

void AppendCssUrls(std::string_view css, std::vector<std::string>& out) {
  for (size_t at = 0; (at = links::FindNoCase(css, "url(", at)) != std::string_view::npos;) {
    size_t i = at + 4;
    while (i < css.size() && IsSpace(css[i])) ++i;
    const char quote = i < css.size() && (css[i] == '"' || css[i] == '\'') ? css[i] : ')';
    if (quote != ')') ++i;
    const size_t end = css.find(quote, i);
    if (end == std::string_view::npos) return;
    out.emplace_back(Trimmed(css.substr(i, end - i)));
    at = end + 1;
  }
}

bool MayHoldMorePictures(std::string_view text, const std::function<bool()>& stop) {
  static constexpr std::string_view kMarks[] = {"srcset", "data-", "url(", "og:image", "twitter:image",
                                                "image_src", "<noscript"};
  constexpr size_t kOverlap = 12;  // the longest mark less one: a mark across two pieces is still seen
  for (size_t at = 0; at < text.size(); at += kChunk) {
    if (stop && stop()) return false;
    const std::string_view piece = text.substr(at, kChunk + kOverlap);
    for (const std::string_view mark : kMarks)
      if (links::FindNoCase(piece, mark) != std::string_view::npos) return true;
    // The text search takes only "<img " with a blank.
    for (size_t img = 0; (img = links::FindNoCase(piece, "<img", img)) != std::string_view::npos; img += 4)
      if (img + 4 < piece.size() && piece[img + 4] != ' ') return true;
  }
  return false;
}

PictureAddresses ReadPictureAddresses(std::string_view text, const std::function<bool()>& stop) {
  Reader reader(stop);
  if (stop && stop()) {
    reader.out.stopped = true;
    return reader.out;
  }
  // libxml2 sets up its tables (the encoding handlers among them) on first
  // use, without a lock: two workers reading their first pages at once
  // raced there. Set up once, before any worker parses.
  static std::once_flag setUp;
  std::call_once(setUp, xmlInitParser);
  htmlSAXHandler sax{};
  sax.startElement = OnStart;
  sax.endElement = OnEnd;
  sax.characters = OnText;
  sax.cdataBlock = OnText;
  sax.initialized = XML_SAX2_MAGIC;
  sax.serror = OnError;
  htmlParserCtxtPtr context =
      htmlCreatePushParserCtxt(&sax, &reader, nullptr, 0, nullptr, XML_CHAR_ENCODING_8859_1);
  if (!context) return reader.out;
  htmlCtxtUseOptions(context, HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
  reader.context = context;
  for (size_t at = 0; at < text.size() && !reader.out.stopped; at += kChunk) {
    const size_t size = std::min(kChunk, text.size() - at);
    htmlParseChunk(context, text.data() + at, int(size), 0);
    if (!reader.out.stopped && stop && stop()) reader.out.stopped = true;
  }
  if (!reader.out.stopped) htmlParseChunk(context, nullptr, 0, 1);
  htmlFreeParserCtxt(context);
  return reader.out;
}

}  // namespace tarvelin
