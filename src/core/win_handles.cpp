#include "win_handles.h"

namespace kv {

std::u16string module_file_name(HMODULE module) {
  std::u16string buffer(MAX_PATH, u'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(module, as_wide(buffer), DWORD(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace kv
