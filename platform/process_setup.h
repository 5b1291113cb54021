#pragma once

namespace platform {

// Sets up, once and before the run's threads start, what the C library would
// otherwise set up lazily on whichever thread comes first. Later calls do
// nothing.
void SetUpProcess();

}  // namespace platform
