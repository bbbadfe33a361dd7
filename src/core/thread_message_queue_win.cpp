#include "thread_message_queue.h"

#include <utility>

namespace kv {

ThreadMessageQueue::ThreadMessageQueue() : arrived_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  InitializeCriticalSection(&lock_);
}

ThreadMessageQueue::~ThreadMessageQueue() { DeleteCriticalSection(&lock_); }

void ThreadMessageQueue::post(ThreadMessage message) {
  EnterCriticalSection(&lock_);
  messages_.push_back(std::move(message));
  SetEvent(arrived_.get());
  LeaveCriticalSection(&lock_);
}

ThreadMessage ThreadMessageQueue::take() {
  for (;;) {
    EnterCriticalSection(&lock_);
    if (next_ < messages_.size()) {
      ThreadMessage message = std::move(messages_[next_++]);
      if (next_ == messages_.size()) {
        // Empty again: start over instead of growing, and sleep until the
        // next post.
        messages_.clear();
        next_ = 0;
        ResetEvent(arrived_.get());
      }
      LeaveCriticalSection(&lock_);
      return message;
    }
    LeaveCriticalSection(&lock_);
    WaitForSingleObject(arrived_.get(), INFINITE);
  }
}

MessageWorker::~MessageWorker() { stop_and_wait(); }

bool MessageWorker::start() {
  if (thread_) return true;
  if (!queue_.ready()) return false;
  thread_.reset(CreateThread(nullptr, 0, thread_main, this, 0, nullptr));
  return static_cast<bool>(thread_);
}

void MessageWorker::post(std::string text) { queue_.post({ThreadMessage::request, std::move(text)}); }

void MessageWorker::stop_and_wait() {
  if (!thread_) return;
  queue_.post({ThreadMessage::stop, {}});
  WaitForSingleObject(thread_.get(), INFINITE);
  thread_.reset();
}

DWORD WINAPI MessageWorker::thread_main(void* self) {
  auto* worker = static_cast<MessageWorker*>(self);
  for (;;) {
    ThreadMessage message = worker->queue_.take();
    if (message.type == ThreadMessage::stop) return 0;
    worker->handle(message.text);
  }
}

}  // namespace kv
