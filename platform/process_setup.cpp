#include "platform/process_setup.h"

#include <malloc.h>

#include <ctime>
#include <mutex>

namespace platform {

void SetUpProcess() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Every body passes through buffers of 64 KiB and more; with glibc's
    // defaults each free of one returned the heap's top to the kernel (trim
    // at 128 KiB), so the next file paid a system call and 16 page faults.
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
    // Fixing the trim threshold also fixes the mmap threshold at its start
    // of 128 KiB; a page of a few MB is better taken from the heap too.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    // The time zone, which glibc otherwise sets up on the first thread that
    // reads local time, under a lock the thread sanitizer does not see.
    tzset();
  });
}

}  // namespace platform
