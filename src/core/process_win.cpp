#include <windows.h>

#include "fatal.h"

namespace kv {
void terminate_process(int code) {
  ExitProcess(static_cast<UINT>(code));
}
}  // namespace kv
