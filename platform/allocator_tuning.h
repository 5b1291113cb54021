#pragma once

namespace platform {

// Lets the allocator keep what a file's buffers free for the next file,
// instead of handing it back to the kernel after every file and faulting it
// in again. Call once, early; later calls do nothing.
void KeepFreedMemoryForReuse();

}  // namespace platform
