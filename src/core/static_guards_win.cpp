// The guards of function-local statics, replacing the C++ runtime's: its
// version reports a recursive initialisation by throwing, which would link
// the whole exception machinery into a runtime that has no exceptions.
//
// One process-wide recursive lock serialises first initialisations (an
// initialiser may start another static's); the compiler's own test of the
// guard's first byte keeps every later use lock-free.
#include <windows.h>

#include <cstdint>

namespace {

CRITICAL_SECTION g_lock;
INIT_ONCE g_lock_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK initialise_lock(INIT_ONCE*, void*, void**) {
  InitializeCriticalSection(&g_lock);
  return TRUE;
}

CRITICAL_SECTION& lock() {
  InitOnceExecuteOnce(&g_lock_once, initialise_lock, nullptr, nullptr);
  return g_lock;
}

bool done(const std::int64_t* guard) {
  return __atomic_load_n(reinterpret_cast<const char*>(guard), __ATOMIC_ACQUIRE) != 0;
}

}  // namespace

extern "C" {

// 1: the caller initialises the static and then releases the guard.
int __cxa_guard_acquire(std::int64_t* guard) {
  if (done(guard)) return 0;
  EnterCriticalSection(&lock());
  if (done(guard)) {
    LeaveCriticalSection(&g_lock);
    return 0;
  }
  return 1;
}

void __cxa_guard_release(std::int64_t* guard) {
  __atomic_store_n(reinterpret_cast<char*>(guard), 1, __ATOMIC_RELEASE);
  LeaveCriticalSection(&g_lock);
}

void __cxa_guard_abort(std::int64_t*) { LeaveCriticalSection(&g_lock); }

}  // extern "C"
