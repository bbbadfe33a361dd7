#include "folders_win.h"

#include "paths.h"
#include "win_handles.h"

namespace kv {
namespace {

DWORD attributes_of(const std::u16string& path) { return GetFileAttributesW(as_wide(path)); }

using FolderQuery = UINT(WINAPI*)(LPWSTR, UINT);

std::u16string folder_from(FolderQuery query) {
  wchar_t buffer[MAX_PATH];
  UINT n = query(buffer, MAX_PATH);
  return n && n < MAX_PATH ? from_wide(buffer, n) : std::u16string();
}

}  // namespace

std::u16string windows_folder() { return folder_from(GetWindowsDirectoryW); }
std::u16string system_folder() { return folder_from(GetSystemDirectoryW); }

std::u16string system32_folder() {
  static auto wow64_folder = reinterpret_cast<FolderQuery>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemWow64DirectoryW")));
  if (wow64_folder) {
    std::u16string folder = folder_from(wow64_folder);
    if (!folder.empty()) return folder;
  }
  return system_folder();
}

bool path_exists(const std::u16string& path) { return attributes_of(path) != INVALID_FILE_ATTRIBUTES; }

bool folder_exists(const std::u16string& path) {
  DWORD attributes = attributes_of(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD create_folder_chain(const std::u16string& folder, bool* file_in_the_way) {
  bool blocked = false;
  if (!file_in_the_way) file_in_the_way = &blocked;
  DWORD attributes = attributes_of(folder);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_SUCCESS;
    *file_in_the_way = true;
    return ERROR_ALREADY_EXISTS;
  }
  const std::u16string parent = parent_folder(folder);
  // A drive root or a share's start has no parent to create.
  if (!parent.empty() && parent.size() < folder.size() && !is_drive_root_or_shorter(parent) && parent != u"\\\\") {
    if (DWORD error = create_folder_chain(parent, file_in_the_way); error != ERROR_SUCCESS) return error;
  }
  if (CreateDirectoryW(as_wide(folder), nullptr)) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  attributes = attributes_of(folder);  // made by someone else meanwhile?
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_SUCCESS;
  *file_in_the_way = attributes != INVALID_FILE_ATTRIBUTES;
  return error;
}

bool is_dot_entry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

std::vector<std::u16string> folder_entries(const std::u16string& folder) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW found;
  UniqueFind find(FindFirstFileW(as_wide(join_path(folder, u"*")), &found));
  if (!find) return names;
  do {
    if (!is_dot_entry(found.cFileName)) names.push_back(from_wide(found.cFileName));
  } while (FindNextFileW(find.get(), &found));
  return names;
}

DWORD delete_file(const std::u16string& path) {
  // An installation may have given its files the read-only attribute.
  DWORD attributes = attributes_of(path);
  const bool read_only = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
  if (read_only) SetFileAttributesW(as_wide(path), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
  if (DeleteFileW(as_wide(path))) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  if (read_only) SetFileAttributesW(as_wide(path), attributes);
  return error;
}

DWORD remove_empty_folder(const std::u16string& folder) {
  const std::u16string path = without_trailing_separators(folder);
  if (is_drive_root_or_shorter(path)) return ERROR_ACCESS_DENIED;
  // The shell's files go only from a folder that holds nothing else: a
  // folder in use (the programs folder, say) keeps its look.
  const std::vector<std::u16string> entries = folder_entries(path);
  if (empty_but_for_shell_files(entries))
    for (const std::u16string& leftover : entries) delete_file(join_path(path, leftover));
  if (RemoveDirectoryW(as_wide(path))) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND ? DWORD(ERROR_PATH_NOT_FOUND) : error;
}

}  // namespace kv
