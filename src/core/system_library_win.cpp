#include "system_library.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace kv {

HMODULE system_library(const wchar_t* dll) {
  if (HMODULE loaded = GetModuleHandleW(dll)) return loaded;
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without the search flags (Vista and 7 before their update)
  // reject it; their default search starts with the system folder for the
  // known DLLs this is used for.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(dll);
  return module;
}

void* system_function(const wchar_t* dll, const char* name) {
  HMODULE module = system_library(dll);
  return module ? reinterpret_cast<void*>(GetProcAddress(module, name)) : nullptr;
}

}  // namespace kv
