#pragma once

namespace platform {

// Nice values below a window's thread: download workers just below it, so
// that a busy window gets a core at once; background work (thumbnails) far
// below both, so that it takes only what they leave over.
inline constexpr int kWorkerNice = 3;
inline constexpr int kBackgroundNice = 13;

// Raises the calling thread to the highest priority the system grants it;
// does nothing where it grants no more.
void RaiseThreadPriority();
// Sets the calling thread to the nice value the process started with. A
// thread starts with its creator's: the threads a raised thread starts run
// at normal priority only once they ask for it.
void NormalThreadPriority();
// Sets the calling thread's nice value to `nice` (above 0). Always granted:
// a thread may lower its own priority, whatever it inherited.
void LowerThreadPriority(int nice = kBackgroundNice);

}  // namespace platform
