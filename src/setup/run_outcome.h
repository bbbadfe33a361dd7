#pragma once
// How a run ended, and the exit code that tells it. By default an
// installation run always ends with 1 and an uninstall run with 0 (1 when
// the user stopped it), as callers of existing installers expect; an author
// who asks for deployment exit codes gets the ones software distribution
// tools read: 0, 3010, 1602 and 1603.
#include "product_flags.h"

namespace setup {

enum class RunOutcome {
  completed,
  restart_needed,  // completed, but a restart it needs was not made
  cancelled,       // the user stopped the run
  refused,         // the run could not be made here (platform, version, no such product...)
  incomplete,      // an uninstallation that could not remove everything
  failed,          // a fatal error (a damaged installer, memory exhaustion...) or a crash
};

int run_exit_code(RunOutcome outcome, bool deployment_codes, bool uninstall_run);

}  // namespace setup
