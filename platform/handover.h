#pragma once
// Tells ThreadSanitizer that a call handed to another thread through Qt (a
// queued or blocking-queued call) happens after what the sender did before
// handing it over. Qt is not built with the sanitizer, so its own locks are
// invisible to it. Nothing at all without -fsanitize=thread.
#include <utility>

#if defined(__SANITIZE_THREAD__)
#define PLATFORM_HANDOVER_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define PLATFORM_HANDOVER_TSAN 1
#endif
#endif

#if defined(PLATFORM_HANDOVER_TSAN)
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

namespace platform {

// The sender, just before the hand-over; `token` names this one hand-over.
inline void HandOver([[maybe_unused]] const void* token) {
#if defined(PLATFORM_HANDOVER_TSAN)
  __tsan_release(const_cast<void*>(token));
#endif
}

// The receiver, first thing once the call arrives.
inline void TakeOver([[maybe_unused]] const void* token) {
#if defined(PLATFORM_HANDOVER_TSAN)
  __tsan_acquire(const_cast<void*>(token));
#endif
}

// A callable for QMetaObject::invokeMethod from another thread. Qt builds
// the object that carries it on the sending thread and calls and frees it on
// the receiving one; this marks the hand-over once the callable sits in that
// object, and takes it before the call and before the free, on whichever
// thread that is.
template <typename Call>
class Handed {
 public:
  explicit Handed(Call call) : m_call(std::move(call)) { HandOver(this); }
  Handed(Handed&& other) : m_call(std::move(other.m_call)) { HandOver(this); }
  Handed(const Handed& other) : m_call(other.m_call) { HandOver(this); }
  Handed& operator=(const Handed&) = delete;
  ~Handed() { TakeOver(this); }

  // A blocking call's object is freed on the sending thread, after the call.
  void operator()() {
    TakeOver(this);
    m_call();
    HandOver(this);
  }

 private:
  Call m_call;
};

}  // namespace platform
