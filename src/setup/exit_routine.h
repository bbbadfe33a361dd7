#pragma once
// The single way out of the process for every part of a run.

namespace setup {

// What the exit routine tears down, in this order; each part that creates
// one of these things fills in its hook.
struct ExitHooks {
  void (*destroy_progress_window)() = nullptr;
  void (*destroy_background_window)() = nullptr;  // minimise, destroy, forget
  void (*discard_log_temporary)() = nullptr;      // close and delete the run log's file
  void (*stop_notification_worker)() = nullptr;   // finish the queue, join, free
  void (*remove_own_firewall_exception)() = nullptr;
};

// Exit codes: 0 after an uninstall run, 1 after everything else.
[[noreturn]] void exit_installer(int code);

}  // namespace setup
