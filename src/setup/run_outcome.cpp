#include "run_outcome.h"

namespace setup {

int run_exit_code(RunOutcome outcome, bool deployment_codes, bool uninstall_run) {
  if (!deployment_codes) {
    if (!uninstall_run) return 1;
    return outcome == RunOutcome::cancelled || outcome == RunOutcome::failed ? 1 : 0;
  }
  switch (outcome) {
    case RunOutcome::completed: return kExitSuccess;
    case RunOutcome::restart_needed: return kExitRestartNeeded;
    case RunOutcome::cancelled: return kExitCancelled;
    case RunOutcome::refused:
    case RunOutcome::incomplete:
    case RunOutcome::failed: break;
  }
  return kExitFailed;
}

}  // namespace setup
