#pragma once
// Memory exhaustion: releasers that can give memory back, and the handler
// that asks them before the process is ended with the "Out Of Memory" text.
#include <cstddef>
#include <cstdint>

namespace kv {

class MemoryReleaser {
 public:
  virtual ~MemoryReleaser() = default;
  // True when something was freed.
  virtual bool release_memory() = 0;
};

void add_memory_releaser(MemoryReleaser* releaser);
void set_out_of_memory_advice(const char* advice);  // kept, not copied

struct MemoryState {
  bool out_of_memory = false;      // the crash report mentions it
  std::uint32_t exhaustions = 0;
};
const MemoryState& memory_state();

// Called when an allocation of `requested` bytes failed. Returns when the
// allocation may be retried; otherwise enters the fatal path with the "Out Of
// Memory" report, which it builds without allocating. An allocation that
// fails while an exhaustion is handled never comes back here a second time.
void out_of_memory(std::size_t requested);

// Memory set aside at start for the fatal path of an exhaustion, given back
// when memory runs out.
inline constexpr std::size_t kExhaustionReserve = 1024 * 1024;
void reserve_memory(std::size_t bytes = kExhaustionReserve);
// True when there was a reserve to give back.
bool release_reserved_memory();

// After this many exhaustions the releasers are no longer asked.
inline constexpr std::uint32_t kMaxExhaustions = 50000;

}  // namespace kv
