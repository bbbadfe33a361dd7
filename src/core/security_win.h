#pragma once
// Access rights of files and folders.
#include <windows.h>

#include <string>

namespace kv {

// Merges an entry for the well-known group Everyone with generic all access
// into the access list of a file or folder; with `inherit` set, subfolders
// and files inherit it. Returns ERROR_SUCCESS or the system's error code.
DWORD grant_everyone_full_access(const std::u16string& path, bool inherit);

}  // namespace kv
