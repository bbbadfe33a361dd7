#pragma once
// Functions of system DLLs that not every supported Windows has, or that the
// runtime loads only when it needs them. The DLL is taken from the system
// folder and kept for the rest of the process.
#include <windows.h>

namespace kv {

// The system DLL, loaded once; nullptr when it cannot be loaded.
HMODULE system_library(const wchar_t* dll);
// The function, or nullptr when the DLL or the function is missing.
void* system_function(const wchar_t* dll, const char* name);

template <class Fn>
Fn system_function_as(const wchar_t* dll, const char* name) {
  return reinterpret_cast<Fn>(system_function(dll, name));
}

}  // namespace kv
