#include <cstring>
#include <random>

#include "engine/file_store.h"

namespace engine {

namespace {

constexpr const char kTempPrefix[] = "~part-";
constexpr const char kTempSuffix[] = ".tmp";
constexpr size_t kTempRandom = 10;

std::string RandomSuffix() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string s(kTempRandom, 'x');
  for (char& c : s) c = kChars[random() % (sizeof kChars - 1)];
  return s;
}

std::string PortableSegment(std::string name) {
  constexpr size_t kMax = 120;
  for (char& c : name)
    if (c < 0x20 || c > 0x7E || std::strchr("\"*:<>?\\|", c)) c = '_';
  if (name.size() > kMax) {
    const size_t dot = name.rfind('.');
    const std::string ext = dot != std::string::npos && name.size() - dot <= 16 ? name.substr(dot) : "";
    name = name.substr(0, kMax - ext.size()) + ext;
  }
  // Windows shares drop a trailing dot or blank.
  if (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.back() = '_';
  return name;
}

}  // namespace

std::string NewTemporaryFileName() { return kTempPrefix + RandomSuffix() + kTempSuffix; }

std::string NumberedName(const std::string& name, int n) {
  const std::string number = "(" + std::to_string(n) + ")";
  const size_t dot = name.rfind('.');
  // A "." in a folder name is no extension: numbering it would name a folder
  // that does not exist and lose the file.
  const size_t slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + number;
  return name.substr(0, dot) + number + name.substr(dot);
}

std::string PortableName(const std::string& path) {
  std::string out;
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
    out += PortableSegment(path.substr(start, slash - start)) + "/";
  return out + PortableSegment(path.substr(start));
}

bool IsTemporaryFileName(const std::string& name) {
  const size_t prefix = sizeof kTempPrefix - 1, suffix = sizeof kTempSuffix - 1;
  return name.size() == prefix + kTempRandom + suffix && name.starts_with(kTempPrefix) && name.ends_with(kTempSuffix);
}

}  // namespace engine
