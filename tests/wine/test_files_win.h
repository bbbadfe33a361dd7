#pragma once
// File helpers of the Wine tests: reading a file back and removing a test's
// folder, whatever attributes the code under test left on it.
#include <windows.h>

#include <string>

#include "text.h"
#include "win_handles.h"

// The whole file; empty when it cannot be opened.
inline std::string read_file(const std::u16string& path) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  char chunk[65536];
  DWORD n = 0;
  while (file && ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr) && n) bytes.append(chunk, n);
  return bytes;
}

// Deletes a folder and everything in it, read-only files and folders too.
inline void remove_tree(const std::u16string& folder) {
  WIN32_FIND_DATAW found;
  kv::UniqueFind find(FindFirstFileW(kv::as_wide(folder + u"\\*"), &found));
  if (find) {
    do {
      std::u16string name = kv::from_wide(found.cFileName);
      if (name == u"." || name == u"..") continue;
      std::u16string path = folder + u"\\" + name;
      SetFileAttributesW(kv::as_wide(path), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        remove_tree(path);
      else
        DeleteFileW(kv::as_wide(path));
    } while (FindNextFileW(find.get(), &found));
  }
  find.reset();
  SetFileAttributesW(kv::as_wide(folder), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(kv::as_wide(folder));
}
