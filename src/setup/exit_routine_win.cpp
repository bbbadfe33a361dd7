#include "child_process.h"
#include "exit_routine.h"

#include <windows.h>
#include <ole2.h>

#include "dialogs.h"
#include "kv_core.h"
#include "run_state.h"

namespace setup {

namespace {
void call(void (*hook)()) {
  if (hook) hook();
}

}  // namespace

void end_run(RunOutcome outcome) {
  exit_installer(run_exit_code(outcome, run.deployment_exit_codes, run.modes.uninstall));
}

void exit_installer(int code) {
  kv::CrashInfo crash = kv::crash_guard([] {
    call(run.exit_hooks.roll_back_unfinished_run);
    call(run.exit_hooks.destroy_progress_window);
    call(run.exit_hooks.destroy_background_window);
    kv::pump_messages();
    call(run.exit_hooks.discard_log_temporary);
    call(run.exit_hooks.stop_notification_worker);
    call(run.exit_hooks.remove_own_firewall_exception);
    OleUninitialize();
  });
  if (crash) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace setup
