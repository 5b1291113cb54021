#pragma once

namespace platform {
// Raises the calling thread to the highest priority the system grants it;
// does nothing where it grants no more.
void RaiseThreadPriority();
}
