#pragma once

namespace platform {

// Tunes the allocator for many threads and files, and sets up what the C
// library would otherwise set up lazily on whichever thread comes first.
// Call it before threads start; later calls do nothing.
void SetUpProcess();

}  // namespace platform
