#pragma once
// The additive checksum that guards the installation data: the settings, the
// whole archive, each chunk and each file's data.
#include <cstdint>
#include <span>

namespace setup {

// What no data (and every checksum's running sum) starts from.
inline constexpr std::uint32_t kChecksumSeed = 0x79E2BC9D;

// The seed, plus every whole 32-bit little-endian word, plus each of the 1 to
// 3 remaining bytes as a signed 8-bit value, plus the length; all wrapping at
// 32 bits.
std::uint32_t additive_checksum(std::span<const std::uint8_t> bytes);

}  // namespace setup
