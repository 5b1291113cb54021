#include "quorvash/result_page.h"

#include <algorithm>

#include "links/address.h"
#include "links/link_state.h"
#include "quorvash/search_address.h"

namespace quorvash {

namespace {

constexpr std::string_view kSuggestionMarker = "Did you mean:";
constexpr std::string_view kSuggestionOpen = "<b><i>";
constexpr std::string_view kSuggestionClose = "</i></b>";
constexpr std::string_view kNextPageMarker = "<td nowrap class=b><a href=";
constexpr std::string_view kNextPageHref = "a href=";
constexpr std::string_view kImageMarker = "<a href=/imgres?imgurl=";
constexpr std::string_view kImageEnd = "&imgrefurl=";
constexpr size_t npos = std::string_view::npos;

std::string LinkText(std::string_view text) {
  std::string link(text);
  std::erase_if(link, [](char c) {
    return c == '\t' || c == '\r' || c == '\n' || c == links::kOtherSiteMarker;
  });
  return link;
}

std::optional<std::string> FindSuggestion(std::string_view text) {
  const size_t said = text.find(kSuggestionMarker);
  if (said == npos) return std::nullopt;
  const size_t open = text.find(kSuggestionOpen, said + kSuggestionMarker.size());
  if (open == npos) return std::nullopt;
  const size_t begin = open + kSuggestionOpen.size();
  const size_t close = text.find(kSuggestionClose, begin);
  if (close == npos || close - begin >= kMaxSuggestion) return std::nullopt;
  return std::string(text.substr(begin, close - begin));
}

// A cell without a ">" after it is passed over: its link has no end.
std::optional<std::string> FindNextPage(std::string_view text) {
  const size_t cell = text.find(kNextPageMarker);
  if (cell == npos) return std::nullopt;
  const size_t begin = text.find(kNextPageHref, cell) + kNextPageHref.size();
  const size_t end = text.find('>', begin);
  if (end == npos) return std::nullopt;
  // Cleaned first, so that a line break cannot hide a quote or a "/".
  std::string link = LinkText(text.substr(begin, end - begin));
  if (!link.empty() && link.back() == '"') link.pop_back();
  link.erase(0, link.find_first_not_of("\"/"));
  return link;
}

// An entry without "&imgrefurl=" ends the list: no later entry has an end.
std::vector<std::string> FindImages(std::string_view text) {
  std::vector<std::string> images;
  size_t from = 0;
  for (;;) {
    const size_t marker = text.find(kImageMarker, from);
    if (marker == npos) break;
    const size_t begin = marker + kImageMarker.size();
    const size_t end = text.find(kImageEnd, begin);
    if (end == npos) break;
    std::string address = LinkText(text.substr(begin, end - begin));
    if (!address.empty()) images.push_back(std::move(address));
    from = end + 1;
  }
  return images;
}

}  // namespace

ResultPage ParseResultPage(std::string_view body) {
  // The page is read as the zero-terminated text it starts with.
  const std::string_view text = body.substr(0, body.find('\0'));
  return {FindSuggestion(text), FindNextPage(text), FindImages(text)};
}

bool ReadResultPage(engine::PageContext& page, std::string_view body) {
  const ResultPage found = ParseResultPage(body);
  if (found.suggestion) {
    const std::string question =
        "google has a suggested keyword for you, did you mean: " + *found.suggestion + " ?";
    if (page.Ask(engine::Question::Suggestion, question)) {
      page.AddLink(std::string("images?") + kFirstPageQuery + LinkText(*found.suggestion));
      return true;
    }
  }
  if (found.nextPage && found.nextPage->size() <= kMaxNextPageLength) page.AddLink(*found.nextPage);
  for (const std::string& image : found.images) {
    if (image.size() >= kMaxImageAddress) continue;
    // Only web addresses are fetched; any other would be taken for one.
    const auto address = links::SplitAddress(image);
    if (address && links::IsWebScheme(address->scheme)) page.AddLink(links::kOtherSiteMarker + image);
  }
  return false;
}

}  // namespace quorvash
