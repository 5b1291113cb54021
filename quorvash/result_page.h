#pragma once
// Reads the image search's result pages: the suggested keyword, the next
// result page and the full-size image addresses.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/page_context.h"
#include "engine/program.h"

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
// The longest next-page link followed: a page whose link grows with every
// page would otherwise be followed for ever.
inline constexpr size_t kMaxNextPageLength = 259;

// A picture address this long or longer is passed over, as a page's link
// value is: it would fill the log and the project file.
inline constexpr size_t kMaxImageAddress = 4160;

ResultPage ParseResultPage(std::string_view body);

// `ReadResultPage`: offers the suggestion and adds the found links. Returns
// true when the user took the suggestion (then nothing else of the page is
// added).
bool ReadResultPage(engine::PageContext& page, std::string_view body);

class ResultPageReader : public engine::PageHandler {
 public:
  void HandlePage(engine::PageContext& page, std::string_view body) override { ReadResultPage(page, body); }
};

}  // namespace quorvash
