#pragma once
// Exact transformations between a link as written in a page, its stored form,
// and its file below the project folder.
#include <string>
#include <string_view>

namespace links {

// Brings a link value into its stored form, relative to the page directory.
// Decodes "&amp;" (repeatedly) and numeric character references.
void ResolveLink(std::string& link, bool root, bool otherSite, std::string_view pageDir);

// The directory-level test. Returns 0 when the resolved link is inside the
// level, 1 when its directory differs from the page's, 2 when a root link
// without "/" was found in a page below the root.
int TestDirectoryLevel(std::string_view resolved, bool root, bool otherSite,
                       std::string_view pageDir, int level);

// The first character of every temporary name in a project folder. No
// mapped name begins with it, so none can meet a temporary file.
inline constexpr char kTemporaryLead = '~';

// Maps a stored link (or an other-site file name) to a path relative to the
// project folder, "/" separated. The result never leaves the project folder:
// no empty, "." or ".." directory, no absolute path, no "/" or control byte
// in a name, no name that begins with kTemporaryLead. A link that names no
// file is named after its last folder, else "index".
std::string MapLocalPath(std::string_view link, bool isText);


}  // namespace links
