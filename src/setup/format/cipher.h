#pragma once
// The 64-bit block cipher that enciphers the settings block and the archive
// chunks when ProductFlags2 asks for it.
//
// It is Blowfish with its standard initial tables and 16 rounds, with two
// differences in how bytes become numbers: the key is taken as 32-bit
// little-endian words (P entry i is XORed with word i modulo the number of
// words), while the two halves of each block are read and written as 32-bit
// big-endian values. Every block stands on its own (no chaining).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "cipher_tables.h"

namespace setup {

inline constexpr std::size_t kCipherBlockSize = 8;
// The container always carries a key of this many bytes.
inline constexpr std::size_t kCipherKeySize = 8;

class Cipher {
 public:
  // Keys of 8 to 56 bytes in steps of 4 are accepted; nullopt otherwise.
  static std::optional<Cipher> from_key(std::span<const std::uint8_t> key);

  void encipher_block(std::uint32_t& left, std::uint32_t& right) const;
  void decipher_block(std::uint32_t& left, std::uint32_t& right) const;

  // In place; the length must be a multiple of 8 (a partial last block is
  // left as it is).
  void encipher(std::span<std::uint8_t> bytes) const;
  void decipher(std::span<std::uint8_t> bytes) const;

 private:
  Cipher() = default;
  std::uint32_t round(std::uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
  }

  std::array<std::uint32_t, kCipherRounds + 2> p_;
  std::uint32_t s_[4][256];
};

// Length framing of enciphered data. The plain bytes are padded with zeros
// and followed by their length L (32 bits, little-endian) so that the total
// is a multiple of 8, then enciphered. A reader accepts a length that is a
// multiple of 8 and at least 8 and, after deciphering, an L between
// length - 12 and length - 4; it cuts the bytes to L.
std::vector<std::uint8_t> encipher_framed(const Cipher& cipher, std::span<const std::uint8_t> plain);

// Deciphers `bytes` in place and cuts them to the plain length. On a framing
// error it empties them and returns false.
bool decipher_framed(const Cipher& cipher, std::vector<std::uint8_t>& bytes);

}  // namespace setup
