#pragma once
// Tells ThreadSanitizer that a call handed to another thread through Qt (a
// queued or blocking-queued call) happens after what the sender did before
// handing it over. Qt is not built with the sanitizer, so its own locks are
// invisible to it. Nothing at all without -fsanitize=thread.

#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace platform {

// The sender, just before the hand-over; `token` names this one hand-over.
inline void HandOver([[maybe_unused]] const void* token) {
#if defined(__SANITIZE_THREAD__)
  __tsan_release(const_cast<void*>(token));
#endif
}

// The receiver, first thing once the call arrives.
inline void TakeOver([[maybe_unused]] const void* token) {
#if defined(__SANITIZE_THREAD__)
  __tsan_acquire(const_cast<void*>(token));
#endif
}

}  // namespace platform
