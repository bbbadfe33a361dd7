#include "system_library.h"

#include <string>

namespace kv {

UniqueModule load_system_library(const wchar_t* file_name) {
  wchar_t folder[MAX_PATH];
  UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return UniqueModule();
  std::wstring path(folder, n);
  path += L'\\';
  path += file_name;
  return UniqueModule(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

HMODULE system_library(const wchar_t* file_name) {
  // A library the process already has (user32 and the like) is that one.
  if (HMODULE loaded = GetModuleHandleW(file_name)) return loaded;
  return load_system_library(file_name).release();
}

}  // namespace kv
