#include "exit_routine.h"

#include <windows.h>
#include <ole2.h>

#include "kv_core.h"

namespace setup {

ExitHooks exit_hooks;

namespace {
void call(void (*hook)()) {
  if (hook) hook();
}

void pump_messages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
}  // namespace

void exit_installer(int code) {
  kv::CrashInfo crash = kv::crash_guard([] {
    call(exit_hooks.destroy_progress_window);
    call(exit_hooks.destroy_background_window);
    pump_messages();
    call(exit_hooks.discard_log_temporary);
    call(exit_hooks.stop_notification_worker);
    call(exit_hooks.remove_own_firewall_exception);
    OleUninitialize();
  });
  if (crash) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace setup
