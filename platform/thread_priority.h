#pragma once

namespace platform {
// Raises the calling thread to the highest priority the system grants it;
// does nothing where it grants no more.
void RaiseThreadPriority();
// Lowers the calling thread's priority, so that it takes only what a more
// urgent thread (a window's) leaves over.
void LowerThreadPriority();
}
