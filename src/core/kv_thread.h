#pragma once
// Threads and synchronisation of the core library. The run itself is
// single-threaded; the notification worker and the builder's compressors are
// the only other threads. The runtime's worker and its thread-message queue
// (Win32 threads, a critical section and an event) are in
// thread_message_queue.h.
#include <condition_variable>
#include <mutex>
#include <thread>

namespace kv {

using Thread = std::thread;
using Mutex = std::mutex;
using LockGuard = std::lock_guard<std::mutex>;
using UniqueLock = std::unique_lock<std::mutex>;
using ConditionVariable = std::condition_variable;

inline unsigned hardware_threads() {
  unsigned n = std::thread::hardware_concurrency();
  return n ? n : 1;
}

}  // namespace kv
