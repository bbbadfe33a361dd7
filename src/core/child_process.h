#pragma once
// The one way the program starts other programs: a child process that owns
// its handle, can be waited for while the run's windows stay responsive, and
// tells its exit code.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "win_handles.h"

namespace kv {

struct LaunchOptions {
  std::u16string working_folder;  // empty: this process's
  bool hidden = false;            // no window of its own
  bool new_console = false;       // a console of its own (hidden when `hidden`)
};

class ChildProcess {
 public:
  // Starts the command line (the program first, quoted when it has blanks).
  // An object that tests false holds the system's reason in start_error().
  static ChildProcess start(const std::u16string& command_line, const LaunchOptions& options = {});

  explicit operator bool() const { return bool(process_); }
  DWORD start_error() const { return start_error_; }

  // Waits until the process ends; with `pump_messages` the run's windows
  // keep being served meanwhile. False when the wait failed or timed out.
  bool wait(bool pump_messages = false, DWORD timeout_ms = INFINITE);
  // Nothing while it runs or when it was never started.
  std::optional<DWORD> exit_code() const;

 private:
  UniqueHandle process_;
  DWORD start_error_ = 0;
};

}  // namespace kv
