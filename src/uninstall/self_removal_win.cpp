// Self-removal on the machine of the run.
#include <windows.h>
#include <shellapi.h>

#include "file_io_win.h"
#include "kv_core.h"
#include "os_version.h"
#include "removal_order.h"
#include "self_removal.h"
#include "win_handles.h"

namespace uninstall {
namespace {

using integration::folder_exists;

std::u16string folder_of(UINT (WINAPI* query)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH];
  UINT n = query(buffer, MAX_PATH);
  return n && n < MAX_PATH ? kv::from_wide(buffer, n) : std::u16string();
}

// The system's temporary folder; else "temp" in the Windows folder; else
// "c:\temp", made for the purpose. Once per process.
const std::u16string& temporary_folder() {
  static const std::u16string folder = [] {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    std::u16string temp = n && n <= MAX_PATH ? kv::from_wide(buffer, n) : std::u16string();
    if (!temp.empty() && folder_exists(temp)) return temp;
    std::u16string windows_temp = join_folder(folder_of(GetWindowsDirectoryW), u"temp");
    if (folder_exists(windows_temp)) return windows_temp;
    std::u16string fallback = u"c:\\temp";
    CreateDirectoryW(kv::as_wide(fallback), nullptr);
    return fallback;
  }();
  return folder;
}

std::u16string command_interpreter() {
  wchar_t buffer[MAX_PATH * 2];
  DWORD n = ExpandEnvironmentStringsW(L"%comspec%", buffer, MAX_PATH * 2);
  if (n > 1 && n <= MAX_PATH * 2) {
    std::u16string expanded = kv::from_wide(buffer);
    if (!expanded.empty() && !kv::iequals(expanded, u"%comspec%")) return expanded;
  }
  const kv::OsVersion& os = kv::os_version();
  if (os.platform == kv::kPlatform9x && os.major == 4)
    return join_folder(folder_of(GetWindowsDirectoryW), u"command.com");
  return join_folder(folder_of(GetSystemDirectoryW), u"cmd.exe");
}

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
                        const std::u16string& uninstall_subdir) {
  std::u16string batch = join_folder(temporary_folder(), kSelfRemovalBatchName);
  std::u16string text = self_removal_batch_text(own_path, install_folder, uninstall_subdir, batch);
  if (integration::write_whole_file(batch, encode_self_removal_batch(text, batch_may_be_utf8(kv::os_version()))) !=
      ERROR_SUCCESS)
    return false;

  // A read-only uninstaller (copied from read-only media) would keep the
  // batch's loop waiting for ever.
  DWORD attributes = GetFileAttributesW(kv::as_wide(own_path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(kv::as_wide(own_path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));

  std::u16string command = u"\"" + command_interpreter() + u"\" /c " + batch_argument(batch);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, kv::as_wide(command), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
  }
  HINSTANCE result = ShellExecuteW(nullptr, L"open", kv::as_wide(batch), nullptr, nullptr, SW_HIDE);
  return reinterpret_cast<INT_PTR>(result) > 31;
}

bool remove_self(const std::u16string& install_folder, const std::u16string& uninstall_subdir) {
  return start_self_removal(kv::module_file_name(), install_folder, uninstall_subdir);
}

}  // namespace uninstall
