#pragma once
// The thread-message queue of the core library and the worker thread that
// empties it. The run's thread posts messages; the worker takes them on its
// own thread, first in, first out, until the stop message. The queue is
// guarded by a critical section, and an event wakes the worker when a
// message arrives.
#include <windows.h>

#include <string>
#include <vector>

#include "win_handles.h"

namespace kv {

struct ThreadMessage {
  enum Type { request = 0, stop = 1 };
  Type type = request;
  std::string text;
};

class ThreadMessageQueue {
 public:
  ThreadMessageQueue();
  ~ThreadMessageQueue();
  ThreadMessageQueue(const ThreadMessageQueue&) = delete;
  ThreadMessageQueue& operator=(const ThreadMessageQueue&) = delete;

  // False when the event could not be created: nothing can wait then.
  bool ready() const { return static_cast<bool>(arrived_); }
  void post(ThreadMessage message);
  // The oldest message; waits while there is none.
  ThreadMessage take();

 private:
  CRITICAL_SECTION lock_;
  UniqueHandle arrived_;  // manual reset: set while messages wait
  std::vector<ThreadMessage> messages_;
  std::size_t next_ = 0;
};

// A thread that hands each request of its queue to handle(), in order.
// A derived class stops the thread in its own destructor, so that handle()
// is never called on a half-destroyed object.
class MessageWorker {
 public:
  MessageWorker() = default;
  virtual ~MessageWorker();
  MessageWorker(const MessageWorker&) = delete;
  MessageWorker& operator=(const MessageWorker&) = delete;

  // Starts the thread at normal priority; false when it could not start.
  bool start();
  void post(std::string text);
  // Queues the stop behind every message already posted and waits until the
  // thread has handled them all and ended.
  void stop_and_wait();

 protected:
  virtual void handle(const std::string& text) = 0;

 private:
  static DWORD WINAPI thread_main(void* self);
  ThreadMessageQueue queue_;
  UniqueHandle thread_;
};

}  // namespace kv
