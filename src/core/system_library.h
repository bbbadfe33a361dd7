#pragma once
// System libraries loaded at run time, always from the system folder: a
// library of the same name beside the executable or in the current folder is
// never picked up instead.
#include <windows.h>

#include "win_handles.h"

namespace kv {

// Empty when the library is not in the system folder or cannot be loaded.
UniqueModule load_system_library(const wchar_t* file_name);

// An export of a loaded library as a function pointer of type F.
template <class F>
F library_function(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace kv
