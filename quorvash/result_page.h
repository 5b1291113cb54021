#pragma once
// Reads the image search's result pages: the suggested keyword, the next
// result page and the full-size image addresses.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/program.h"

class CPageDownloader;

namespace quorvash {

// What a result page offers, from the text before its first zero byte.
// Nothing is decoded. The links have lost tab, CR, LF and 0x01 bytes, so none
// can split a line of the project file or carry a stray other-site marker.
struct ResultPage {
  std::optional<std::string> suggestion;  // as found; shorter than kMaxSuggestion
  std::optional<std::string> nextPage;    // leading quotes and "/" skipped
  std::vector<std::string> images;        // in the order of the page; none empty
};

inline constexpr size_t kMaxSuggestion = 64;

ResultPage ParseResultPage(std::string_view body);

// Writes the body into the downloader's open file, offers the suggestion and
// adds the found links. Returns 1 when the user took the suggestion (then
// nothing else of the page is added), else 0.
int ReadResultPage(CPageDownloader& downloader, const std::string& body);

class ResultPageReader : public PageHandler {
 public:
  int HandlePage(CPageDownloader& downloader, std::string& body, int index) override;
};

}  // namespace quorvash
