#include "crash_report.h"

#include <windows.h>

#include "kv_core.h"

namespace crash {
namespace {

// Until the full report exists, an unhandled crash ends the run through the
// fatal path, so it is at least reported, traced and exits with code 1.
LONG WINAPI on_unhandled(EXCEPTION_POINTERS* info) {
  kv::fatal("Unhandled exception 0x%08lX at 0x%08lX", info->ExceptionRecord->ExceptionCode,
            static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(info->ExceptionRecord->ExceptionAddress)));
}

}  // namespace

void install_crash_filter() { SetUnhandledExceptionFilter(on_unhandled); }

}  // namespace crash
