#include "links/link_mapping.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "links/ascii.h"
#include "links/control_bytes.h"

namespace links {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | (cp >> 6));
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | (cp >> 12));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | (cp >> 18));
    out += char(0x80 | ((cp >> 12) & 0x3F));
    out += char(0x80 | ((cp >> 6) & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

struct Reference {
  size_t length;     // of "&#...;"
  std::string text;  // what it stands for
};

// "&#46;" or "&#x2e;" at `pos`. Control characters, C1 codes, surrogates and
// values past Unicode are left as written: a decoded line break or 0x01 would
// change what the stored link means.
std::optional<Reference> NumericReference(std::string_view s, size_t pos) {
  size_t i = pos + 2;
  if (s.size() < i || s[pos + 1] != '#') return std::nullopt;
  const bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
  if (hex) ++i;
  const size_t digitsStart = i;
  uint32_t cp = 0;
  while (i < s.size() && i - digitsStart < 8) {
    const int v = hex ? HexValue(s[i]) : (s[i] >= '0' && s[i] <= '9' ? s[i] - '0' : -1);
    if (v < 0) break;
    cp = cp * (hex ? 16 : 10) + uint32_t(v);
    ++i;
  }
  if (i == digitsStart || i >= s.size() || s[i] != ';') return std::nullopt;
  if (cp < 0x20 || (cp >= 0x7F && cp < 0xA0) || (cp >= 0xD800 && cp < 0xE000) || cp > 0x10FFFF)
    return std::nullopt;
  Reference ref{i + 1 - pos, {}};
  AppendUtf8(ref.text, cp);
  return ref;
}

void DecodeReferences(std::string& link) {
  size_t pos = 0;
  bool produced = false;  // the "&" at pos came from "&amp;"
  while ((pos = link.find('&', pos)) != std::string::npos) {
    if (link.compare(pos, 5, "&amp;") == 0) {
      link.erase(pos + 1, 4);  // stay on the "&" just produced: &amp;amp; collapses
      produced = true;
      continue;
    }
    // "&amp;#46;" is the text "&#46;", not a dot.
    if (auto ref = produced ? std::nullopt : NumericReference(link, pos)) {
      link.replace(pos, ref->length, ref->text);
      pos += ref->text.size();
      continue;
    }
    produced = false;
    ++pos;
  }
}

bool IsForbiddenInName(char c) {
  switch (c) {
    case ':': case '*': case '"': case '<': case '>': case '|':
      return true;
    default:
      return false;
  }
}

std::string FilterAndDecodeName(std::string_view name) {
  std::string filtered;
  for (char c : name) {
    if (c == '?')
      filtered += ';';
    else if (!IsForbiddenInName(c))
      filtered += c;
  }
  std::string decoded;
  for (size_t i = 0; i < filtered.size(); ++i) {
    // A "%" without two hex digits after it stays as it is.
    if (filtered[i] == '%' && i + 2 < filtered.size()) {
      const int hi = HexValue(filtered[i + 1]);
      const int lo = HexValue(filtered[i + 2]);
      if (hi >= 0 && lo >= 0) {
        decoded += char(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    decoded += filtered[i];
  }
  // A decoded "/" would split the name; a control byte (NUL among them)
  // would cut it or reach a terminal that lists it.
  for (char& c : decoded)
    if (c == '/') c = '_';
  return ReplaceControls(decoded, "_");
}

// Keeps every path below the project folder: empty and "." directories go,
// ".." takes one directory back but never above the top, and a name of "." or
// ".." is made an ordinary name.
// A file system takes names of at most 255 bytes. A longer one (a long query
// kept in the name) is cut, keeping a short extension and room for "(n)".
std::string FitName(std::string name) {
  constexpr size_t kMaxName = 240;
  if (name.size() <= kMaxName) return name;
  const size_t dot = name.rfind('.');
  const std::string ext = dot != std::string::npos && name.size() - dot <= 16 ? name.substr(dot) : "";
  return name.substr(0, kMaxName - ext.size()) + ext;
}

// Temporary files begin with kTemporaryLead; no stored name does.
std::string KeepOffTemporaries(std::string name) {
  if (!name.empty() && name.front() == kTemporaryLead) name.front() = '_';
  return name;
}

std::string ConfinePath(const std::string& path) {
  std::vector<std::string> dirs;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    std::string segment = ReplaceControls(path.substr(start, slash - start), "_");
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") {
      if (!dirs.empty()) dirs.pop_back();
      continue;
    }
    dirs.push_back(FitName(std::move(segment)));
  }
  std::string name = FitName(path.substr(start));
  if (name == "." || name == "..") name = "_" + name;
  // A link that names no file ("d/", "../") is named after its folder.
  if (name.empty()) name = dirs.empty() ? "index" : dirs.back();
  std::string out;
  for (auto& d : dirs) out += KeepOffTemporaries(std::move(d)) + "/";
  return out + KeepOffTemporaries(std::move(name));
}

}  // namespace

void ResolveLink(std::string& link, bool root, bool otherSite, std::string_view pageDir) {
  DecodeReferences(link);
  if (root) return;
  if (otherSite) {
    std::string marked = pageDir.empty() ? std::string() : std::string(pageDir) + "/";
    link = marked + '\x01' + link;
    return;
  }
  if (!pageDir.empty()) link = std::string(pageDir) + "/" + link;
}

int TestDirectoryLevel(std::string_view resolved, bool root, bool otherSite,
                       std::string_view pageDir, int level) {
  if (level != 1 || otherSite) return 0;
  const size_t slash = resolved.rfind('/');
  if (slash != std::string_view::npos) return resolved.substr(0, slash) == pageDir ? 0 : 1;
  if (!pageDir.empty() && root) return 2;
  return 0;
}

std::string MapLocalPath(std::string_view link, bool isText) {
  if (link.empty()) return "index.htm";
  const size_t slash = link.rfind('/');
  const std::string_view dir = slash == std::string_view::npos ? std::string_view() : link.substr(0, slash + 1);
  const std::string_view name = slash == std::string_view::npos ? link : link.substr(slash + 1);
  std::string path = std::string(dir) + FilterAndDecodeName(name);

  if (const size_t hash = path.rfind('#'); hash != std::string::npos) {
    if (hash >= 4 && EqualsNoCase(std::string_view(path).substr(hash - 4, 4), ".htm"))
      path.erase(hash);
    else
      path.replace(hash, std::string::npos, ".htm");
  } else if (isText && !EndsWithNoCase(path, ".htm") && !EndsWithNoCase(path, ".html")) {
    path += ".htm";
  }
  return ConfinePath(path);
}

}  // namespace links
