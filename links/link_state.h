#pragma once
#include <cstdint>

// The state byte of a link; the numbers are written to and read from "project.cfg".
enum LinkState : uint8_t {
  LINK_NEW = 0,        // found, not yet taken
  LINK_TAKEN = 1,      // taken by a worker (fetched, being fetched, or passed over)
  LINK_PREFERRED = 2,  // found, to be taken before every new link
};

// Marks an other-site link: everything after it is the full address to fetch.
inline constexpr char kOtherSiteMarker = '\x01';
