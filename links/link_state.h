#pragma once
#include <cstdint>

namespace links {

// The state byte of a link; the numbers are written to and read from "project.cfg".
enum class LinkState : uint8_t {
  New = 0,        // LINK_NEW: found, not yet taken
  Taken = 1,      // LINK_TAKEN: taken by a worker (fetched, being fetched, or passed over)
  Preferred = 2,  // LINK_PREFERRED: found, to be taken before every new link
};

// Marks an other-site link: everything after it is the full address to fetch.
inline constexpr char kOtherSiteMarker = '\x01';

}  // namespace links
