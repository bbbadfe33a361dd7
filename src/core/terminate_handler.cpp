// The runtime replaces the standard library's verbose terminate handler: it
// would pull the whole symbol demangler into every installer, and an
// installer that reaches std::terminate has nobody to read a demangled name.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
