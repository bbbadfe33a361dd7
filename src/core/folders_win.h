#pragma once
// Files and folders on the disk: existence, folder chains, empty folders.
#include <windows.h>

#include <string>
#include <vector>

namespace kv {

bool path_exists(const std::u16string& path);
bool folder_exists(const std::u16string& path);

// Creates a folder with all its missing levels; an existing folder counts
// as created. ERROR_SUCCESS, or the system's error; `file_in_the_way` (when
// given) tells that a file holds the name of a level.
DWORD create_folder_chain(const std::u16string& folder, bool* file_in_the_way = nullptr);

// "." or "..", as a folder search lists them.
bool is_dot_entry(const wchar_t* name);
// The names in a folder, without "." and "..".
std::vector<std::u16string> folder_entries(const std::u16string& folder);

// Deletes a file, clearing its read-only attribute first (and setting it
// back when the deletion fails). ERROR_SUCCESS, or the system's error.
DWORD delete_file(const std::u16string& path);

// Removes a folder that is empty but for the shell's thumbs.db and
// desktop.ini, which go with it. Refuses a drive root (ERROR_ACCESS_DENIED).
// ERROR_SUCCESS, or the system's error (a missing folder is
// ERROR_PATH_NOT_FOUND).
DWORD remove_empty_folder(const std::u16string& folder);

// The Windows folder, and the system folder as this process sees it
// (System32, or its redirected 32-bit twin); empty when the system gives
// none.
std::u16string windows_folder();
std::u16string system_folder();
// The 32-bit system folder: SysWOW64 on 64-bit Windows, else System32.
std::u16string system32_folder();

}  // namespace kv
