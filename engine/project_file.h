#pragma once
// "project.cfg": the count of links taken, then one "state link" line per
// link. Lines end in "\r\n" on disk; reading accepts "\r\n" and "\n".
#include <optional>
#include <string>
#include <string_view>

#include "links/link_list.h"

namespace engine {

inline constexpr const char* kProjectFileName = "project.cfg";

// A line longer than any link can be is passed over.
inline constexpr size_t kMaxProjectLine = 8192;

struct LoadedProject {
  std::optional<links::ProjectRecord> record;  // nothing when the text is no project file
  std::string problem;                         // why not
};

// `LoadProjectFile`: reads the text of a project file. It is refused when
// the first line is not a 32-bit number, or a line is not a state (0, 1, 2),
// a blank and a link. A last line without a line feed is not loaded.
LoadedProject LoadProjectFile(std::string_view text);

// `ReadProjectLine`: the line starting at `at`, without its line end; `at`
// moves past it. Returns false when the text ended before a line feed.
bool ReadProjectLine(std::string_view text, size_t& at, std::string_view& line);

// Reads "project.cfg" from the project folder (`dirFd`) without following a
// link; only a regular file is read. Nothing when there is none.
std::optional<LoadedProject> ReadProjectFile(int dirFd);

// `SaveProjectFile`: writes the record through a temporary file renamed over
// the old one, so the last good file survives a crash or a full disk. What
// was written to the folder before reaches the disk first.
// Returns an empty text, or why it could not be written.
std::string SaveProjectFile(int dirFd, const links::ProjectRecord& record);

// The temporary files of a save ("~project.cfg.XXXXXX"; earlier versions
// wrote "project.cfg.XXXXXX" and ".project.cfg.XXXXXX").
bool IsProjectFileTemporary(std::string_view name);

}  // namespace engine
