#include "run_outcome.h"

namespace setup {

int run_exit_code(RunOutcome outcome, bool deployment_codes, bool uninstall_run) {
  if (!deployment_codes) {
    if (!uninstall_run) return 1;
    return outcome == RunOutcome::cancelled || outcome == RunOutcome::failed ? 1 : 0;
  }
  switch (outcome) {
    case RunOutcome::completed: return deployment_exit_code::kSuccess;
    case RunOutcome::restart_needed: return deployment_exit_code::kRestartNeeded;
    case RunOutcome::cancelled: return deployment_exit_code::kCancelled;
    case RunOutcome::refused:
    case RunOutcome::incomplete:
    case RunOutcome::failed: break;
  }
  return deployment_exit_code::kFailed;
}

}  // namespace setup
