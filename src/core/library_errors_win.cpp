// The runtime is built without C++ exceptions: errors travel as return
// values and faults end in a crash guard. The standard library's throw
// points are replaced here. A length or position beyond a container's limit
// is a fault of the program and ends it through the internal assertion.
// Replacing them also keeps the library's exception classes, and the
// copy-on-write strings they carry, out of every installer.
#include <bits/functexcept.h>

#include "fatal.h"

namespace std {

void __throw_bad_alloc() { kv::internal_assertion("bad_alloc", 0); }
void __throw_bad_array_new_length() { kv::internal_assertion("bad_array_new_length", 0); }
void __throw_bad_function_call() { kv::internal_assertion("bad_function_call", 0); }
void __throw_length_error(const char* what) { kv::internal_assertion(what, 0); }
void __throw_logic_error(const char* what) { kv::internal_assertion(what, 0); }
void __throw_out_of_range(const char* what) { kv::internal_assertion(what, 0); }
// The format's values are left out: its text names the function.
void __throw_out_of_range_fmt(const char* format, ...) { kv::internal_assertion(format, 0); }
void __throw_invalid_argument(const char* what) { kv::internal_assertion(what, 0); }

// A failed check of the library's assertions: an index outside a
// container, a pop from an empty one.
void __glibcxx_assert_fail(const char* file, int line, const char*, const char*) noexcept {
  kv::internal_assertion(file, line);
}

}  // namespace std
