#pragma once
// Control characters in text from the web: C0 (0x00-0x1F), DEL, and C1,
// either as UTF-8 (U+0080-U+009F) or as a raw byte 0x80-0x9F that is no part
// of a UTF-8 sequence. A terminal obeys them; a file name must not hold them.
#include <cstddef>
#include <string>
#include <string_view>

namespace links {

// The length of the control character at `at` (1 or 2 bytes), or 0.
size_t ControlLength(std::string_view text, size_t at);

// Each control character is replaced by `with`; `keep` lists the C0 bytes
// that stay (a log keeps its tabs and line ends).
std::string ReplaceControls(std::string_view text, std::string_view with, std::string_view keep = {});

// Each control byte shown as "\xNN", except those in `keep`.
std::string EscapeControls(std::string_view text, std::string_view keep = {});

}  // namespace links
