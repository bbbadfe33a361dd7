#pragma once
// Encodes the archive's plain chunks on several threads while the files are
// still being read. Chunks are handed in in order and come out in the same
// order; at most a few plain chunks wait at any time, so memory holds the
// encoded archive and not the plain one.
#include <cstdint>
#include <deque>
#include <vector>

#include "archive.h"
#include "kv_thread.h"

namespace builder {

class ChunkEncoder {
 public:
  // jobs: encoding threads (1: every chunk is encoded by add() itself).
  ChunkEncoder(const setup::ChunkCoding& coding, unsigned jobs);
  ~ChunkEncoder();
  ChunkEncoder(const ChunkEncoder&) = delete;
  ChunkEncoder& operator=(const ChunkEncoder&) = delete;

  // Queues a chunk; waits while too many chunks are waiting already.
  void add(std::vector<std::uint8_t> plain);
  // Waits until every chunk is encoded; `waiting` is called now and then
  // meanwhile. The encoded chunks, in order.
  template <typename Waiting>
  std::vector<std::uint8_t> finish(Waiting waiting) {
    while (!wait_all_for_a_while()) waiting();
    return take_archive();
  }
  // Plain bytes encoded so far.
  std::uint64_t plain_bytes_done() const;

 private:
  void work();
  bool wait_all_for_a_while();
  std::vector<std::uint8_t> take_archive();

  setup::ChunkCoding coding_;
  std::size_t max_waiting_;
  mutable kv::Mutex mutex_;
  kv::ConditionVariable changed_;
  std::deque<std::pair<std::size_t, std::vector<std::uint8_t>>> waiting_;
  std::vector<std::vector<std::uint8_t>> encoded_;
  std::size_t queued_ = 0, done_ = 0;
  std::uint64_t plain_done_ = 0;
  bool stopping_ = false;
  std::vector<kv::Thread> threads_;
};

}  // namespace builder
