#pragma once
// The second reading of a page: libxml2's HTML parser, driven as a stream of
// tags, finds the picture addresses that modern pages keep out of a plain
// "src": srcset candidates, lazy-loading attributes, pictures inside
// <noscript>, CSS backgrounds and share pictures.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// The address of the largest candidate of a srcset value: by width
// descriptor when any candidate has one, else by density ("1x" when none is
// written). Empty when there is no candidate.
std::string LargestSrcsetCandidate(std::string_view srcset);

// Appends the addresses of every url(...) in a piece of CSS, in order.
void AppendCssUrls(std::string_view css, std::vector<std::string>& out);

struct PictureAddresses {
  std::vector<std::string> values;  // as written, entities decoded, in page order, each once
  bool stopped = false;             // `stop` said yes before the end of the page
};

// Whether `text` holds anything the second reading finds beyond the text
// search: srcset, a data- attribute, url(, a share picture, <noscript>, or an
// "<img" not followed by a blank. Linear; `stop` is asked every 64 KB, and a
// yes from it gives false.
bool MayHoldMorePictures(std::string_view text, const std::function<bool()>& stop);

// Reads `text` (the page's bytes, taken as they stand: no byte changes) and
// returns the picture addresses it holds; "data:" addresses are left out.
// `stop` is asked before the parse, then at least every 64 KB of text and
// every 1024 tags; once it says yes the reading ends.
PictureAddresses ReadPictureAddresses(std::string_view text, const std::function<bool()>& stop);

}  // namespace tarvelin
