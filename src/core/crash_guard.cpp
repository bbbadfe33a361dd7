#include "crash_guard.h"

#include <cstdint>
#include <cstdio>
#include <exception>

namespace kv {

std::string CrashInfo::describe() const {
  char buffer[96];
  if (code == 0) return "C++ exception: " + (what.empty() ? std::string("unknown") : what);
  std::snprintf(buffer, sizeof buffer, "exception 0x%08lX at 0x%08lX", code,
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
  return buffer;
}

void call_catching_cxx(GuardedStep step, void* context, CrashInfo& info) {
#if __cpp_exceptions
  try {
    step(context);
  } catch (const std::exception& e) {
    info.crashed = true;
    info.what = e.what();
  } catch (...) {
    info.crashed = true;
  }
#else
  // Built without C++ exceptions (the runtime): nothing can be thrown.
  (void)info;
  step(context);
#endif
}

}  // namespace kv
