// Files, folders and registry keys as the uninstaller removes them.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "kv_core.h"
#include "path_variables_win.h"
#include "removal_order.h"
#include "uninstaller_win.h"
#include "win_handles.h"

namespace uninstall::detail {
namespace {

// Left behind by the shell in folders it has shown.
bool is_shell_leftover(std::u16string_view name) {
  return kv::iequals(name, u"thumbs.db") || kv::iequals(name, u"desktop.ini");
}

bool is_dot_entry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// The names in a folder, without "." and "..".
std::vector<std::u16string> folder_entries(const std::u16string& folder) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found;
  kv::UniqueFind find(FindFirstFileW(kv::as_wide(join_folder(folder, u"*")), &found));
  if (!find) return names;
  do {
    if (!is_dot_entry(found.cFileName)) names.push_back(kv::from_wide(found.cFileName));
  } while (FindNextFileW(find.get(), &found));
  return names;
}

std::u16string folder_of(UINT (WINAPI* query)(LPWSTR, UINT)) {
  wchar_t buffer[MAX_PATH];
  UINT n = query(buffer, MAX_PATH);
  return n && n < MAX_PATH ? kv::from_wide(buffer, n) : std::u16string();
}

std::u16string special_folder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  return SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE) ? kv::from_wide(buffer) : std::u16string();
}

}  // namespace


bool path_exists(const std::u16string& path) {
  return GetFileAttributesW(kv::as_wide(path)) != INVALID_FILE_ATTRIBUTES;
}

DWORD delete_file(const std::u16string& path) {
  // The installation may have given its files the read-only attribute.
  DWORD attributes = GetFileAttributesW(kv::as_wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(kv::as_wide(path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  if (DeleteFileW(kv::as_wide(path))) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    SetFileAttributesW(kv::as_wide(path), attributes);
  return error;
}

DWORD remove_empty_folder(const std::u16string& folder) {
  std::u16string path = without_trailing_backslash(folder);
  if (is_drive_root_or_shorter(folder) || is_drive_root_or_shorter(path)) return ERROR_ACCESS_DENIED;
  // The shell's files go only from a folder that holds nothing else: a
  // folder in use (the programs folder, say) keeps its look.
  std::vector<std::u16string> entries = folder_entries(path);
  if (std::all_of(entries.begin(), entries.end(), [](const std::u16string& e) { return is_shell_leftover(e); }))
    for (const std::u16string& leftover : entries) delete_file(join_folder(path, leftover));
  if (RemoveDirectoryW(kv::as_wide(path))) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND ? DWORD(ERROR_PATH_NOT_FOUND) : error;
}

void delete_folder_tree(const std::u16string& folder) {
  std::u16string path = without_trailing_backslash(folder);
  WIN32_FIND_DATAW found;
  kv::UniqueFind find(FindFirstFileW(kv::as_wide(join_folder(path, u"*")), &found));
  if (find) {
    do {
      if (is_dot_entry(found.cFileName)) continue;
      std::u16string entry = join_folder(path, kv::from_wide(found.cFileName));
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) delete_folder_tree(entry);
        SetFileAttributesW(kv::as_wide(entry), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryW(kv::as_wide(entry));
      } else {
        SetFileAttributesW(kv::as_wide(entry), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(kv::as_wide(entry));
      }
    } while (FindNextFileW(find.get(), &found));
  }
  find.reset();
  SetFileAttributesW(kv::as_wide(path), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(kv::as_wide(path));
}

std::vector<std::u16string> protected_folders() {
  using View = engine::PathValues::View;
  std::vector<std::u16string> folders = {
      folder_of(GetWindowsDirectoryW),
      folder_of(GetSystemDirectoryW),
      engine::program_files_folder(View::bits32),
      engine::program_files_folder(View::bits64),
      engine::common_files_folder(View::bits32),
      engine::common_files_folder(View::bits64),
      special_folder(CSIDL_PROFILE),
  };
  using FolderQuery = UINT(WINAPI*)(LPWSTR, UINT);
  static auto wow64_folder = reinterpret_cast<FolderQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemWow64DirectoryW")));
  if (wow64_folder) folders.push_back(folder_of(wow64_folder));
  return folders;
}

HKEY root_key(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::local_machine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::current_user: return HKEY_CURRENT_USER;
    case RegistryRoot::classes_root: return HKEY_CLASSES_ROOT;
    case RegistryRoot::users:
    case RegistryRoot::all_users: return HKEY_USERS;
    case RegistryRoot::current_config: return HKEY_CURRENT_CONFIG;
    case RegistryRoot::dyn_data: return HKEY_DYN_DATA;
  }
  return HKEY_LOCAL_MACHINE;
}

std::vector<std::u16string> user_hives() {
  std::vector<std::u16string> hives;
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD length = 256;
    LONG rc = RegEnumKeyExW(HKEY_USERS, index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;
    if (rc != ERROR_SUCCESS) break;
    hives.push_back(kv::from_wide(name, length));
  }
  return hives;
}

void for_each_hive(const RegistryPath& path, const std::function<void(HKEY root, const std::u16string& key)>& apply) {
  if (path.root != RegistryRoot::all_users) {
    apply(root_key(path.root), path.key);
    return;
  }
  for (const std::u16string& hive : user_hives()) apply(HKEY_USERS, hive + u"\\" + path.key);
}

void delete_key_if_empty(HKEY root, const std::u16string& key, kv::RegView view) {
  kv::UniqueRegKey open = kv::reg_open(root, key, KEY_READ, view);
  if (!open || !kv::reg_key_is_empty(open.get())) return;
  open.reset();
  kv::reg_delete_tree(root, key, view);
}

kv::RegView product_view() {
  return uninstall_run.product_64bit ? kv::RegView::wow64_64 : kv::RegView::native32;
}

}  // namespace uninstall::detail
