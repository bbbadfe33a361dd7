#include "shell_link_win.h"

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include "folders_win.h"
#include "paths.h"
#include "shortcut_list.h"
#include "win_handles.h"
#include "wow64_redirection.h"

namespace integration {
namespace {

// Failures the shell reports for a system error carry that error's code.
DWORD error_of(HRESULT result) {
  return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<DWORD>(result);
}

int show_command(std::uint8_t mode) {
  switch (mode) {
    case 1: return SW_SHOWMINNOACTIVE;
    case 2: return SW_SHOWMAXIMIZED;
    default: return SW_SHOWNORMAL;
  }
}

}  // namespace

DWORD create_shell_link(const ShellLink& link) {
  // The shell's objects load libraries: not with a 64-bit product's
  // redirection off.
  kv::Wow64RedirectionPause pause;
  kv::ComPtr<IShellLinkW> shell_link;
  HRESULT result =
      CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, shell_link.put_void());
  if (FAILED(result)) return error_of(result);
  shell_link->SetPath(kv::as_wide(link.target));
  const std::u16string& icon = link.icon.empty() ? link.target : link.icon;
  shell_link->SetIconLocation(kv::as_wide(icon), 0);
  if (!link.arguments.empty()) shell_link->SetArguments(kv::as_wide(link.arguments));
  if (link.show_mode == 1 || link.show_mode == 2) shell_link->SetShowCmd(show_command(link.show_mode));
  const std::u16string working_folder = link_working_folder(link.working_folder);
  if (!working_folder.empty()) shell_link->SetWorkingDirectory(kv::as_wide(working_folder));

  const std::u16string path = link_file_path(link.path);
  if (DWORD error = kv::create_folder_chain(kv::parent_folder(path)); error != ERROR_SUCCESS) return error;
  kv::ComPtr<IPersistFile> file;
  result = shell_link->QueryInterface(IID_IPersistFile, file.put_void());
  if (FAILED(result)) return error_of(result);
  result = file->Save(kv::as_wide(path), TRUE);
  return FAILED(result) ? error_of(result) : ERROR_SUCCESS;
}

DWORD pin_to_taskbar(const std::u16string& link_path) {
  kv::Wow64RedirectionPause pause;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  // No box of the shell's own when the verb is unknown: the caller logs it.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_INVOKEIDLIST;
  info.lpVerb = L"taskbarpin";
  info.lpFile = kv::as_wide(link_path);
  info.nShow = SW_HIDE;
  if (ShellExecuteExW(&info)) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_NO_ASSOCIATION;
}

}  // namespace integration
