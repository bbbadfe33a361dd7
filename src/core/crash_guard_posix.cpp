// Off Windows the guard catches C++ exceptions only; faults in native test
// programs are left to the sanitizers, which report them better.
#include "crash_guard.h"

namespace kv {

CrashInfo guarded_call(GuardedStep step, void* context) {
  CrashInfo info;
  call_catching_cxx(step, context, info);
  return info;
}

}  // namespace kv
