#include "platform/thread_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {
// Read in the main thread before main(), before any thread was raised.
const int kStartNice = ::getpriority(PRIO_PROCESS, 0);
}  // namespace

void RaiseThreadPriority() {
  // On Linux a thread's nice value is its own; a lower one is granted only
  // with the right privilege or within RLIMIT_NICE.
  const pid_t tid = pid_t(::syscall(SYS_gettid));
  for (int nice = -20; nice < 0; ++nice)
    if (::setpriority(PRIO_PROCESS, id_t(tid), nice) == 0) return;
}

void NormalThreadPriority() {
  const pid_t tid = pid_t(::syscall(SYS_gettid));
  ::setpriority(PRIO_PROCESS, id_t(tid), kStartNice);
}

void LowerThreadPriority(int nice) {
  const pid_t tid = pid_t(::syscall(SYS_gettid));
  ::setpriority(PRIO_PROCESS, id_t(tid), nice);
}

}  // namespace platform
