#include "memory.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "crash_guard.h"
#include "fatal.h"

namespace kv {
namespace {

struct Releasers {
  std::vector<MemoryReleaser*> list;
  const char* advice = "Make sure the hard drive is not full.";
};
Releasers& releasers() {
  static Releasers r;
  return r;
}
MemoryState g_memory;

// Memory set aside at start and given back when memory runs out, so that
// the fatal path (its texts, the trace, the message box) can still allocate.
// It is held in blocks small enough to come from the heap itself: freed,
// they serve the heap's next allocations, where one large block would go
// back to the system and leave the heap unable to grow.
constexpr std::size_t kReserveBlock = 32 * 1024;
constexpr std::size_t kReserveBlocks = 64;
void* g_reserve[kReserveBlocks] = {};
bool g_reserved = false;
// Set while an exhaustion is being handled: an allocation that fails then
// (inside a releaser or the fatal path) must not come back here.
bool g_handling = false;

// The report is built where no allocation is needed.
char g_report[kFatalTextLimit + 1];

// Appends 80 machine words read upward from this frame, eight to a line.
// The sanitizers would call that an overflow, but it is exactly what the
// report wants.
__attribute__((noinline, no_sanitize("address"))) void append_stack_words(std::size_t& used) {
  auto* word = static_cast<const volatile std::uint32_t*>(__builtin_frame_address(0));
  for (int i = 0; i < 80 && used < kFatalTextLimit; ++i) {
    int n = std::snprintf(g_report + used, sizeof g_report - used, "%s%08X", i % 8 == 0 ? "\r\n" : " ",
                          static_cast<unsigned>(word[i]));
    if (n < 0) break;
    used = std::min(used + static_cast<std::size_t>(n), kFatalTextLimit);
  }
}

[[noreturn]] void report_exhaustion(std::size_t requested) {
  // Printed as unsigned long long: every C runtime the program meets knows
  // that size, not all of them know %zu.
  auto size = static_cast<unsigned long long>(requested);
  int n = std::snprintf(g_report, sizeof g_report,
                        "%s.\r\nAdvice: %s\r\nRequested size = %llu (0x%08llX)\r\n\r\nStack contents:",
                        "Out Of Memory", releasers().advice, size, size);
  std::size_t used = n < 0 ? 0 : std::min(static_cast<std::size_t>(n), kFatalTextLimit);
  append_stack_words(used);
  g_report[used] = 0;
  release_reserved_memory();
  fatal_text(std::string_view(g_report, used));
}

}  // namespace

void add_memory_releaser(MemoryReleaser* releaser) { releasers().list.push_back(releaser); }
void set_out_of_memory_advice(const char* advice) { releasers().advice = advice; }
const MemoryState& memory_state() { return g_memory; }

void reserve_memory(std::size_t bytes) {
  if (g_reserved) return;
  g_reserved = true;
  for (std::size_t i = 0; i < kReserveBlocks && i * kReserveBlock < bytes; ++i) g_reserve[i] = std::malloc(kReserveBlock);
}

bool release_reserved_memory() {
  bool released = false;
  for (void*& block : g_reserve) {
    if (!block) continue;
    std::free(block);
    block = nullptr;
    released = true;
  }
  return released;
}

void out_of_memory(std::size_t requested) {
  g_memory.out_of_memory = true;
  ++g_memory.exhaustions;
  if (g_handling) {
    // Memory ran out while the last exhaustion was handled: the reserve
    // lets that finish, else the report goes out as it is.
    if (release_reserved_memory()) return;
    report_exhaustion(requested);
  }
  g_handling = true;
  if (g_memory.exhaustions <= kMaxExhaustions) {
    bool freed = false;
    for (MemoryReleaser* r : releasers().list) {
      crash_guard([&] {
        if (r->release_memory()) freed = true;
      });
    }
    g_handling = false;
    if (freed) return;
    g_handling = true;
  }
  report_exhaustion(requested);
}

}  // namespace kv
