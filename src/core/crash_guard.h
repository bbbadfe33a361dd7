#pragma once
// The crash-guard primitive: runs a step that may crash (foreign code, a
// clean-up handler) and reports a crash instead of dying from it.
//
// On Windows a hardware fault or a foreign exception raised inside the step
// is caught by a frame handler placed on the guard's stack frame, exactly as a
// compiler's __try block would; a C++ exception is caught as well where the
// code is built with exceptions (the runtime is built without). The step is
// abandoned where it crashed (its destructors do not run) and the caller goes
// on.
#include <string>
#include <type_traits>

namespace kv {

struct CrashInfo {
  bool crashed = false;
  unsigned long code = 0;    // exception code; 0 for a C++ exception
  void* address = nullptr;   // where it happened, when known
  std::string what;          // a C++ exception's message

  explicit operator bool() const { return crashed; }
  // "exception 0xC0000005 at 0x00401234" or "C++ exception: ..."
  std::string describe() const;
};

using GuardedStep = void (*)(void* context);
CrashInfo guarded_call(GuardedStep step, void* context);

template <class F>
CrashInfo crash_guard(F&& step) {
  using Fn = std::remove_reference_t<F>;
  return guarded_call([](void* p) { (*static_cast<Fn*>(p))(); }, &step);
}

// Internal: runs the step and converts a C++ exception into the info.
void call_catching_cxx(GuardedStep step, void* context, CrashInfo& info);

}  // namespace kv
