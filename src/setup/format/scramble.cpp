#include "scramble.h"

#include <bit>
#include <cstring>

namespace setup {

void scramble(std::span<std::uint8_t> bytes, std::uint32_t key) {
  std::uint8_t* p = bytes.data();
  const std::size_t n = bytes.size();
  // XOR with the key's little-endian bytes is XOR of the word in memory order.
  std::uint32_t memory_key = key;
  if constexpr (std::endian::native == std::endian::big) memory_key = __builtin_bswap32(key);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    std::uint32_t w;
    std::memcpy(&w, p + i, 4);
    w ^= memory_key;
    std::memcpy(p + i, &w, 4);
  }
  for (int shift = 0; i < n; ++i, shift += 8) p[i] ^= static_cast<std::uint8_t>(key >> shift);
}

}  // namespace setup
