#pragma once
// The single way out of the process for every part of a run.

#include "run_outcome.h"

namespace setup {

// What the exit routine tears down, in this order; each part that creates
// one of these things fills in its hook.
struct ExitHooks {
  void (*roll_back_unfinished_run)() = nullptr;  // an installation that did not complete
  void (*destroy_progress_window)() = nullptr;
  void (*destroy_background_window)() = nullptr;  // minimise, destroy, forget
  void (*discard_log_temporary)() = nullptr;      // close and delete the run log's file
  void (*stop_notification_worker)() = nullptr;   // finish the queue, join, free
  void (*remove_own_firewall_exception)() = nullptr;
};

// Leaves with the exit code itself.
[[noreturn]] void exit_installer(int code);
// Leaves with the exit code of the run's outcome (run_outcome.h).
[[noreturn]] void end_run(RunOutcome outcome);

}  // namespace setup
