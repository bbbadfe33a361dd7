#include "chunk_encoder.h"

#include <chrono>

namespace builder {

ChunkEncoder::ChunkEncoder(const setup::ChunkCoding& coding, unsigned jobs)
    : coding_(coding), max_waiting_(2 * static_cast<std::size_t>(jobs ? jobs : 1)) {
  if (jobs > 1)
    for (unsigned i = 0; i < jobs; ++i) threads_.emplace_back([this] { work(); });
}

ChunkEncoder::~ChunkEncoder() {
  {
    kv::LockGuard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (kv::Thread& t : threads_) t.join();
}

void ChunkEncoder::add(std::vector<std::uint8_t> plain) {
  if (threads_.empty()) {
    std::vector<std::uint8_t> encoded = setup::encode_chunk(plain, coding_);
    kv::LockGuard lock(mutex_);
    encoded_.push_back(std::move(encoded));
    plain_done_ += plain.size();
    ++queued_;
    ++done_;
    return;
  }
  kv::UniqueLock lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.size() < max_waiting_; });
  encoded_.emplace_back();
  waiting_.emplace_back(queued_++, std::move(plain));
  changed_.notify_all();
}

void ChunkEncoder::work() {
  kv::UniqueLock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || !waiting_.empty(); });
    if (waiting_.empty()) return;
    auto [index, plain] = std::move(waiting_.front());
    waiting_.pop_front();
    changed_.notify_all();
    lock.unlock();
    std::vector<std::uint8_t> encoded = setup::encode_chunk(plain, coding_);
    lock.lock();
    encoded_[index] = std::move(encoded);
    plain_done_ += plain.size();
    ++done_;
    changed_.notify_all();
  }
}

bool ChunkEncoder::wait_all_for_a_while() {
  kv::UniqueLock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(100), [&] { return done_ == queued_; });
}

std::vector<std::uint8_t> ChunkEncoder::take_archive() {
  kv::LockGuard lock(mutex_);
  std::size_t total = 0;
  for (const auto& e : encoded_) total += e.size();
  std::vector<std::uint8_t> archive;
  archive.reserve(total);
  for (auto& e : encoded_) {
    archive.insert(archive.end(), e.begin(), e.end());
    std::vector<std::uint8_t>().swap(e);
  }
  return archive;
}

std::uint64_t ChunkEncoder::plain_bytes_done() const {
  kv::LockGuard lock(mutex_);
  return plain_done_;
}

}  // namespace builder
