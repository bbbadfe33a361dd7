#include "checksum.h"

#include <bit>
#include <cstring>

namespace setup {
namespace {

inline std::uint32_t load_le32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  if constexpr (std::endian::native == std::endian::big) v = __builtin_bswap32(v);
  return v;
}

}  // namespace

std::uint32_t additive_checksum(std::span<const std::uint8_t> bytes) {
  const std::size_t n = bytes.size();
  if (n == 0) return kChecksumSeed;
  const std::uint8_t* p = bytes.data();
  const std::size_t words = n / 4;

  // Four independent sums keep the adder busy; the compiler widens the loop
  // further. Addition modulo 2^32 does not care about the order.
  std::uint32_t s0 = 0, s1 = 0, s2 = 0, s3 = 0;
  std::size_t w = 0;
  for (; w + 4 <= words; w += 4) {
    s0 += load_le32(p + 4 * w);
    s1 += load_le32(p + 4 * w + 4);
    s2 += load_le32(p + 4 * w + 8);
    s3 += load_le32(p + 4 * w + 12);
  }
  for (; w < words; ++w) s0 += load_le32(p + 4 * w);

  std::uint32_t sum = kChecksumSeed + s0 + s1 + s2 + s3;
  for (std::size_t i = words * 4; i < n; ++i) sum += static_cast<std::uint32_t>(static_cast<std::int8_t>(p[i]));
  return sum + static_cast<std::uint32_t>(n);
}

}  // namespace setup
