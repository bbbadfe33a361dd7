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
// allocation may be retried; otherwise enters the fatal path.
void out_of_memory(std::size_t requested);

// After this many exhaustions the releasers are no longer asked.
inline constexpr std::uint32_t kMaxExhaustions = 50000;

}  // namespace kv
