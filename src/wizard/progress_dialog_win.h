#pragma once
// The progress window: modeless, open while the run copies or removes
// files. While it is open the run's step texts and progress percentages
// (run_status.h) go to it, every update pumps the thread's messages, and
// Windows is asked not to log off or shut down.
#include <windows.h>

namespace wizard {

struct ProgressOptions {
  bool cancel_enabled = true;
  // Ends the run when the user confirms Cancel; null: cancel_run.
  void (*abort)() = nullptr;
  // How long each step text stays at least (wait_minimum_display).
  DWORD minimum_display_ms = 0;
};
// The installation's: Cancel unless the settings disable it, the settings'
// minimum display time.
ProgressOptions installation_progress_options();

// Nothing when it is already open, or silent.
void open_progress_dialog(const ProgressOptions& options);
void close_progress_dialog();
HWND progress_dialog();

// The run's end after Cancel: the canceled message (unless automatic), then
// exit code 1.
[[noreturn]] void cancel_run();

}  // namespace wizard
