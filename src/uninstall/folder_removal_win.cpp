// Files, folders and registry keys as the uninstaller removes them.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>

#include "folders_win.h"
#include "kv_core.h"
#include "path_variables_win.h"
#include "paths.h"
#include "removal_order.h"
#include "uninstaller_win.h"
#include "win_handles.h"

namespace uninstall::detail {
namespace {

std::u16string special_folder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  return SHGetSpecialFolderPathW(nullptr, buffer, csidl, FALSE) ? kv::from_wide(buffer) : std::u16string();
}

}  // namespace


void delete_folder_tree(const std::u16string& folder) {
  std::u16string path = kv::without_trailing_separators(folder);
  WIN32_FIND_DATAW found;
  kv::UniqueFind find(FindFirstFileW(kv::as_wide(kv::join_path(path, u"*")), &found));
  if (find) {
    do {
      if (kv::is_dot_entry(found.cFileName)) continue;
      std::u16string entry = kv::join_path(path, kv::from_wide(found.cFileName));
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
      kv::windows_folder(),
      kv::system_folder(),
      engine::program_files_folder(View::bits32),
      engine::program_files_folder(View::bits64),
      engine::common_files_folder(View::bits32),
      engine::common_files_folder(View::bits64),
      special_folder(CSIDL_PROFILE),
  };
  // The 32-bit system folder, where it differs (SysWOW64).
  if (std::u16string wow64 = kv::system32_folder(); !kv::same_path(wow64, kv::system_folder())) folders.push_back(wow64);
  return folders;
}

std::vector<std::u16string> system_folders() {
  using engine::PathVar;
  std::vector<std::u16string> folders = protected_folders();
  for (PathVar var : {PathVar::DesktopAllDir, PathVar::DesktopDir, PathVar::StartMenuAllDir, PathVar::StartMenuDir,
                      PathVar::SMProgramsAllDir, PathVar::SMProgramsDir, PathVar::StartupAllDir, PathVar::StartupDir,
                      PathVar::AppDataAllDir, PathVar::AppDataDir, PathVar::DocumentAllDir, PathVar::DocumentDir,
                      PathVar::FavoritesAllDir, PathVar::FavoritesDir, PathVar::Temp})
    folders.push_back(engine::path_variable(var));
  return folders;
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
