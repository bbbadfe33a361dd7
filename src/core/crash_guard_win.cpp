// A frame-based exception handler registered by hand on the guard's stack
// frame (what __try does on x86), and a jump back to the guard when a fault
// reaches it. Handlers registered deeper, by foreign code, still see their own
// exceptions first.
#include <windows.h>
#include <intrin.h>

#include <cstdint>

#include "crash_guard.h"

namespace kv {
namespace {

struct GuardFrame {
  void* jump[5];  // __builtin_setjmp buffer
  unsigned long code;
  void* address;
};

struct SehRecord {
  SehRecord* prev;
  void* handler;
  GuardFrame* frame;
};

thread_local GuardFrame* t_resuming = nullptr;

[[noreturn]] void resume_at_guard() { __builtin_longjmp(t_resuming->jump, 1); }

// Only errors (severity bits 11) are crashes: warnings and informational
// exceptions such as debug output are left to their usual handling.
bool is_crash(DWORD code) { return (code & 0xC0000000u) == 0xC0000000u; }

extern "C" EXCEPTION_DISPOSITION __cdecl guard_frame_handler(EXCEPTION_RECORD* record,
                                                             void* establisher, CONTEXT* context,
                                                             void* /*dispatcher*/) {
  if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
    return ExceptionContinueSearch;
  if (!is_crash(record->ExceptionCode)) return ExceptionContinueSearch;
  auto* reg = static_cast<SehRecord*>(establisher);
  reg->frame->code = record->ExceptionCode;
  reg->frame->address = record->ExceptionAddress;
  t_resuming = reg->frame;
  // Continue in resume_at_guard on the abandoned part of the stack just below
  // the guard's frame: it is committed (the step ran there) even after a
  // stack overflow consumed the guard page further down.
  context->Eip = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(&resume_at_guard));
  context->Esp = (static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(reg)) - 512) & ~15u;
  return ExceptionContinueExecution;
}

__attribute__((noinline)) void run_under_frame(GuardedStep step, void* context, CrashInfo& info) {
  GuardFrame frame{};
  volatile SehRecord reg{};
  reg.prev = reinterpret_cast<SehRecord*>(__readfsdword(0));
  reg.handler = reinterpret_cast<void*>(&guard_frame_handler);
  reg.frame = &frame;
  if (__builtin_setjmp(frame.jump) == 0) {
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(&reg)));
    call_catching_cxx(step, context, info);
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(reg.prev)));
  } else {
    // Records registered by the abandoned frames are dropped with them.
    __writefsdword(0, static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(reg.prev)));
    info.crashed = true;
    info.code = frame.code;
    info.address = frame.address;
  }
}

}  // namespace

CrashInfo guarded_call(GuardedStep step, void* context) {
  CrashInfo info;
  run_under_frame(step, context, info);
  return info;
}

}  // namespace kv
