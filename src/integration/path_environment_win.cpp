#include <windows.h>

#include "file_io_win.h"
#include "folders_win.h"
#include "install_log.h"
#include "path_environment.h"
#include "registry.h"
#include "win_handles.h"

namespace integration {
namespace {

constexpr char16_t kEnvironmentKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
// Query, set, create subkey, enumerate, read control.
constexpr REGSAM kAccess = 0x2000F;

}  // namespace

void change_system_path(PathChange change, std::u16string_view folder_setting, std::u16string_view install_folder) {
  kv::UniqueRegKey key = kv::reg_open(HKEY_LOCAL_MACHINE, kEnvironmentKey, kAccess, kv::RegView::native32);
  if (!key) return;
  std::u16string path = kv::reg_read_string(key.get(), u"Path").value_or(u"");
  if (path.empty()) return;

  std::u16string folder = path_change_folder(folder_setting, install_folder);
  if (change == PathChange::add && !kv::folder_exists(folder)) {
    engine::log_wide_pieces({u"Couldn't add \"", folder, u"\" to the PATH because it does not exist.\r\n"});
    return;
  }
  std::optional<std::u16string> edited = edit_path_value(path, folder, change);
  if (!edited) return;
  if (kv::reg_write_string(key.get(), u"Path", *edited, REG_EXPAND_SZ) != ERROR_SUCCESS) return;
  // Programs started from now on see the new PATH only once the shell has
  // been told that the environment changed. The shell answers at once; a
  // busy program that does not is not waited for long, as every top-level
  // window of the desktop gets the message in turn.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"),
                      SMTO_ABORTIFHUNG, 200, &ignored);
}

}  // namespace integration
