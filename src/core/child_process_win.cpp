#include "child_process.h"

#include <algorithm>

#include "dialogs.h"

namespace kv {
namespace {
constexpr DWORD kPumpSliceMilliseconds = 100;
}  // namespace

ChildProcess ChildProcess::start(const std::u16string& command_line, const LaunchOptions& options) {
  ChildProcess child;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  DWORD creation = 0;
  if (options.hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    creation = CREATE_NO_WINDOW;
  }
  if (options.new_console) creation = CREATE_NEW_CONSOLE;
  // The system may write into the command line it is given.
  std::u16string line = command_line;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, as_wide(line), nullptr, nullptr, FALSE, creation, nullptr,
                      options.working_folder.empty() ? nullptr : as_wide(options.working_folder), &startup,
                      &started)) {
    child.start_error_ = GetLastError();
    return child;
  }
  CloseHandle(started.hThread);
  child.process_.reset(started.hProcess);
  return child;
}

bool ChildProcess::wait(bool pump, DWORD timeout_ms) {
  if (!process_) return false;
  HANDLE handle = process_.get();
  if (!pump) return WaitForSingleObject(handle, timeout_ms) == WAIT_OBJECT_0;
  const DWORD started = GetTickCount();
  for (;;) {
    DWORD slice = kPumpSliceMilliseconds;
    if (timeout_ms != INFINITE) {
      DWORD elapsed = GetTickCount() - started;
      if (elapsed >= timeout_ms) return false;
      slice = std::min(slice, timeout_ms - elapsed);
    }
    DWORD result = MsgWaitForMultipleObjects(1, &handle, FALSE, slice, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return true;
    if (result == WAIT_FAILED) return false;
    pump_messages();
  }
}

std::optional<DWORD> ChildProcess::exit_code() const {
  DWORD code = 0;
  if (!process_ || !GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
  // A program may end with the code that also means "still running".
  if (code == STILL_ACTIVE && WaitForSingleObject(process_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
  return code;
}

}  // namespace kv
