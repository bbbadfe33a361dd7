#pragma once
// The light scrambling of the settings block when the data is not enciphered:
// every whole 32-bit little-endian word is XORed with the settings key, the 1
// to 3 remaining bytes with the key's low, second and third byte. Applying it
// twice gives the original bytes back.
#include <cstdint>
#include <span>

namespace setup {

void scramble(std::span<std::uint8_t> bytes, std::uint32_t key);

}  // namespace setup
