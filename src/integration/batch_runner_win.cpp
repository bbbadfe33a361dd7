#include "batch_runner.h"

#include <windows.h>

#include <string>

#include "batch_file.h"
#include "dialogs.h"
#include "engine_run.h"
#include "file_errors.h"
#include "file_io_win.h"
#include "install_log.h"
#include "os_version.h"
#include "path_variables_win.h"
#include "run_modes.h"
#include "run_state.h"
#include "system_text_win.h"
#include "text.h"
#include "win_handles.h"

namespace integration {
namespace {

constexpr DWORD kWaitPollMilliseconds = 75;

using FolderQuery = UINT(WINAPI*)(LPWSTR, UINT);

std::u16string folder_path(FolderQuery query) {
  wchar_t buffer[MAX_PATH];
  UINT n = query(buffer, MAX_PATH);
  return n && n < MAX_PATH ? kv::from_wide(buffer, n) : std::u16string();
}

// The 32-bit system folder: SysWOW64 on 64-bit Windows, where System32 may be
// the 64-bit one while a 64-bit product has redirection switched off.
std::u16string system32_folder() {
  static auto wow64_folder = reinterpret_cast<FolderQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemWow64DirectoryW")));
  if (wow64_folder) {
    std::u16string folder = folder_path(wow64_folder);
    if (!folder.empty()) return folder;
  }
  return folder_path(GetSystemDirectoryW);
}

std::u16string expanded_comspec() {
  wchar_t value[MAX_PATH * 2];
  DWORD n = GetEnvironmentVariableW(L"ComSpec", value, MAX_PATH * 2);
  if (n == 0 || n >= MAX_PATH * 2) return {};
  wchar_t expanded[MAX_PATH * 2];
  DWORD m = ExpandEnvironmentStringsW(value, expanded, MAX_PATH * 2);
  return m && m <= MAX_PATH * 2 ? kv::from_wide(expanded) : kv::from_wide(value, n);
}

// Shown unless automatic, and logged.
void report_failure(const std::u16string& message) {
  if (!setup::run.modes.automatic) kv::message_box(message, u"Error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
  engine::log_wide_pieces({message, u"\r\n"});
}

// Waits for the batch while the run's windows keep answering.
void wait_responsive(HANDLE process) {
  for (;;) {
    DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, kWaitPollMilliseconds, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace

bool run_batch(std::string_view commands, bool hidden, std::string_view title) {
  if (commands.empty()) return true;
  if (setup::run.modes.silent) hidden = true;
  if (!title.empty()) engine::log_pieces({"\r\nRunning ", title, "...\r\n"});

  const kv::OsVersion& os = kv::os_version();
  std::u16string interpreter =
      command_interpreter(expanded_comspec(), os, engine::path_variable(engine::PathVar::WinDir), system32_folder());
  if (GetFileAttributesW(kv::as_wide(interpreter)) == INVALID_FILE_ATTRIBUTES) {
    engine::log_wide_pieces({u"The CLI ", interpreter, u" does not exist!\r\n"});
    return false;
  }

  std::u16string folder = engine::run.paths.install_dir;
  if (folder.empty() || !folder_exists(folder)) folder = engine::path_variable(engine::PathVar::Temp);
  std::u16string prefix = folder;
  if (!prefix.empty() && prefix.back() != u'\\') prefix += u'\\';
  const std::u16string batch_path = prefix + kBatchFileName;

  BatchFile file = build_batch_file(kv::cp1252_to_utf16(commands), engine::path_variable,
                                    setup::run.modes.automatic || hidden, os);
  if (DWORD error = write_whole_file(batch_path, file.bytes); error != ERROR_SUCCESS) {
    report_failure(u"Unable to create batch file \"" + batch_path + u"\".\r\n\r\n" + system_error_text(error));
    return false;
  }

  std::u16string capture_path;
  if (!title.empty()) {
    std::u16string path = prefix + kBatchCaptureName;
    if (DWORD error = write_whole_file(path, std::string_view()); error == ERROR_SUCCESS) {
      capture_path = path;
    } else {
      engine::log_pieces({"Failed to create batch output capture file.  ", kv::file_error_text(kv::file_error_from_system(error)),
                          "\r\n"});
    }
  }

  std::u16string command_line = batch_command_line(interpreter, batch_path, capture_path);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  DWORD creation = 0;
  if (hidden) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    creation = CREATE_NO_WINDOW;
  }
  PROCESS_INFORMATION process{};
  bool started = CreateProcessW(nullptr, kv::as_wide(command_line), nullptr, nullptr, FALSE, creation, nullptr,
                                kv::as_wide(folder), &startup, &process) != FALSE;
  DWORD launch_error = GetLastError();
  if (started) {
    kv::UniqueHandle process_handle(process.hProcess);
    kv::UniqueHandle thread_handle(process.hThread);
    wait_responsive(process_handle.get());
    if (!capture_path.empty()) {
      std::string output = read_whole_file(capture_path).value_or("");
      std::u16string text = file.utf8 ? kv::utf8_to_utf16(output) : kv::cp1252_to_utf16(output);
      engine::log_wide(batch_output_for_log(text));
    }
  }
  // Both files go even when the batch could not be started: they are the
  // run's own temporary files.
  if (!capture_path.empty()) DeleteFileW(kv::as_wide(capture_path));
  DeleteFileW(kv::as_wide(batch_path));
  if (!started) {
    report_failure(u"Unable to launch batch file \"" + batch_path + u"\".\r\n\r\n" + system_error_text(launch_error));
    return false;
  }
  return true;
}

}  // namespace integration
