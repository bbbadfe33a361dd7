#include "memory.h"

#include <cstdio>
#include <string>
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

// Reads the words above this frame; the sanitizers would call that an
// overflow, but it is exactly what the report wants.
__attribute__((noinline, no_sanitize("address")))
std::string stack_words() {
  auto* word = static_cast<const volatile std::uint32_t*>(__builtin_frame_address(0));
  std::string out;
  char buffer[16];
  for (int i = 0; i < 80; ++i) {
    if (i % 8 == 0)
      out += "\r\n";
    else
      out += ' ';
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(word[i]));
    out += buffer;
  }
  return out;
}

}  // namespace

void add_memory_releaser(MemoryReleaser* releaser) { releasers().list.push_back(releaser); }
void set_out_of_memory_advice(const char* advice) { releasers().advice = advice; }
const MemoryState& memory_state() { return g_memory; }

void out_of_memory(std::size_t requested) {
  g_memory.out_of_memory = true;
  ++g_memory.exhaustions;
  if (g_memory.exhaustions <= kMaxExhaustions) {
    bool freed = false;
    for (MemoryReleaser* r : releasers().list) {
      crash_guard([&] {
        if (r->release_memory()) freed = true;
      });
    }
    if (freed) return;
  }
  // Printed as unsigned long long: every C runtime the program meets knows
  // that size, not all of them know %zu.
  auto size = static_cast<unsigned long long>(requested);
  std::string text = format_limited(
      "%s.\r\nAdvice: %s\r\nRequested size = %llu (0x%08llX)\r\n\r\nStack contents:", "Out Of Memory",
      releasers().advice, size, size);
  text += stack_words();
  fatal_text(text);
}

}  // namespace kv
