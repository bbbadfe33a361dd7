#include <cstdlib>

#include "fatal.h"

namespace kv {
void terminate_process(int code) { std::_Exit(code); }
}  // namespace kv
