#include "batch_runner.h"

#include <windows.h>

#include <string>

#include "batch_file.h"
#include "child_process.h"
#include "dialogs.h"
#include "engine_run.h"
#include "file_errors.h"
#include "file_io_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "os_version.h"
#include "path_variables_win.h"
#include "paths.h"
#include "run_modes.h"
#include "run_state.h"
#include "system_text_win.h"
#include "text.h"
#include "win_handles.h"

namespace integration {
namespace {



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

}  // namespace

std::u16string command_interpreter_path() {
  return command_interpreter(expanded_comspec(), kv::os_version(), kv::windows_folder(), kv::system32_folder());
}

bool run_batch(std::string_view commands, bool hidden, std::string_view title) {
  if (commands.empty()) return true;
  if (setup::run.modes.silent) hidden = true;
  if (!title.empty()) engine::log_pieces({"\r\nRunning ", title, "...\r\n"});

  std::u16string interpreter = command_interpreter_path();
  if (GetFileAttributesW(kv::as_wide(interpreter)) == INVALID_FILE_ATTRIBUTES) {
    engine::log_wide_pieces({u"The CLI ", interpreter, u" does not exist!\r\n"});
    return false;
  }

  std::u16string folder = engine::run.paths.install_dir;
  if (folder.empty() || !kv::folder_exists(folder)) folder = engine::path_variable(engine::PathVar::Temp);
  const std::u16string batch_path = kv::join_path(folder, kBatchFileName);

  BatchFile file = build_batch_file(kv::cp1252_to_utf16(commands), engine::path_variable,
                                    setup::run.modes.automatic || hidden, kv::os_version());
  if (DWORD error = write_whole_file(batch_path, file.bytes); error != ERROR_SUCCESS) {
    report_failure(u"Unable to create batch file \"" + batch_path + u"\".\r\n\r\n" + system_error_text(error));
    return false;
  }

  std::u16string capture_path;
  if (!title.empty()) {
    std::u16string path = kv::join_path(folder, kBatchCaptureName);
    if (DWORD error = write_whole_file(path, std::string_view()); error == ERROR_SUCCESS) {
      capture_path = path;
    } else {
      engine::log_pieces({"Failed to create batch output capture file.  ", kv::file_error_text(kv::file_error_from_system(error)),
                          "\r\n"});
    }
  }

  std::u16string command_line = batch_command_line(interpreter, batch_path, capture_path);
  kv::ChildProcess batch = kv::ChildProcess::start(command_line, {.working_folder = folder, .hidden = hidden});
  const bool started = bool(batch);
  if (started) {
    // The run's windows keep answering while the batch runs.
    batch.wait(/*pump_messages=*/true);
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
    report_failure(u"Unable to launch batch file \"" + batch_path + u"\".\r\n\r\n" +
                   system_error_text(batch.start_error()));
    return false;
  }
  return true;
}

}  // namespace integration
