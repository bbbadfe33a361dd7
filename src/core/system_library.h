#pragma once
// System libraries loaded at run time, always from the system folder by
// their full path: a library of the same name beside the executable or in
// the current folder is never picked up instead.
#include <windows.h>

#include "win_handles.h"

namespace kv {

// Loaded for the caller, who may free it; empty when the library is not in
// the system folder or cannot be loaded.
UniqueModule load_system_library(const wchar_t* file_name);

// Loaded once and kept for the rest of the process; nullptr when it cannot
// be loaded. For functions that not every supported Windows has, or that the
// runtime needs only sometimes.
HMODULE system_library(const wchar_t* file_name);

// An export of a loaded library as a function pointer of type F.
template <class F>
F library_function(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// An export of a kept system library; nullptr when the library or the
// function is missing.
template <class F>
F system_function_as(const wchar_t* file_name, const char* name) {
  return library_function<F>(system_library(file_name), name);
}

}  // namespace kv
