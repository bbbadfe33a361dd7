// Self-removal on the machine of the run.
#include <windows.h>
#include <shellapi.h>

#include "batch_runner.h"
#include "file_io_win.h"
#include "child_process.h"
#include "kv_core.h"
#include "path_variables_win.h"
#include "paths.h"
#include "removal_order.h"
#include "self_removal.h"
#include "win_handles.h"

namespace uninstall {
namespace {


// The short (8.3) form; the long one, quoted when it has blanks, when the
// system gives none.
std::u16string batch_argument(const std::u16string& path) {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetShortPathNameW(kv::as_wide(path), buffer, MAX_PATH + 1);
  if (n && n <= MAX_PATH) return kv::from_wide(buffer, n);
  return path.find(u' ') == std::u16string::npos ? path : u"\"" + path + u"\"";
}

}  // namespace

bool start_self_removal(const std::u16string& own_path, const std::u16string& install_folder,
                        const std::u16string& uninstall_subdir, const std::vector<std::u16string>& parent_folders) {
  std::u16string batch = kv::join_path(engine::path_variable(engine::PathVar::Temp), kSelfRemovalBatchName);
  std::u16string text = self_removal_batch_text(own_path, install_folder, uninstall_subdir, batch, parent_folders);
  if (integration::write_whole_file(batch, encode_self_removal_batch(text, batch_may_be_utf8(kv::os_version()))) !=
      ERROR_SUCCESS)
    return false;

  // A read-only uninstaller (copied from read-only media) would keep the
  // batch's loop waiting for ever.
  DWORD attributes = GetFileAttributesW(kv::as_wide(own_path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(kv::as_wide(own_path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));

  std::u16string command = u"\"" + integration::command_interpreter_path() + u"\" /c " + batch_argument(batch);
  kv::LaunchOptions options;
  options.hidden = true;
  options.new_console = true;
  if (kv::ChildProcess::start(command, options)) return true;
  HINSTANCE result = ShellExecuteW(nullptr, L"open", kv::as_wide(batch), nullptr, nullptr, SW_HIDE);
  return reinterpret_cast<INT_PTR>(result) > 31;
}

bool remove_self(const std::u16string& install_folder, const std::u16string& uninstall_subdir,
                 const std::vector<std::u16string>& parent_folders) {
  return start_self_removal(kv::module_file_name(), install_folder, uninstall_subdir, parent_folders);
}

}  // namespace uninstall
