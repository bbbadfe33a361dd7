#include "cipher.h"

#include <cstring>

namespace setup {
namespace {

inline std::uint32_t load_be32(const std::uint8_t* p) {
  return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}

inline void store_be32(std::uint8_t* p, std::uint32_t v) {
  p[0] = std::uint8_t(v >> 24);
  p[1] = std::uint8_t(v >> 16);
  p[2] = std::uint8_t(v >> 8);
  p[3] = std::uint8_t(v);
}

inline std::uint32_t load_le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

}  // namespace

std::optional<Cipher> Cipher::from_key(std::span<const std::uint8_t> key) {
  if (key.size() < 8 || key.size() > 56 || key.size() % 4 != 0) return std::nullopt;
  Cipher c;
  std::memcpy(c.s_, kCipherInitialS, sizeof c.s_);
  const std::size_t words = key.size() / 4;
  for (std::size_t i = 0; i < c.p_.size(); ++i) c.p_[i] = kCipherInitialP[i] ^ load_le32(&key[4 * (i % words)]);

  // The tables are replaced by the repeated encipherment of a zero block.
  std::uint32_t left = 0, right = 0;
  for (std::size_t i = 0; i < c.p_.size(); i += 2) {
    c.encipher_block(left, right);
    c.p_[i] = left;
    c.p_[i + 1] = right;
  }
  for (auto& box : c.s_) {
    for (std::size_t i = 0; i < 256; i += 2) {
      c.encipher_block(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
  return c;
}

void Cipher::encipher_block(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left, r = right;
  for (int i = 0; i < kCipherRounds; i += 2) {
    l ^= p_[i];
    r ^= round(l);
    r ^= p_[i + 1];
    l ^= round(r);
  }
  l ^= p_[kCipherRounds];
  r ^= p_[kCipherRounds + 1];
  left = r;
  right = l;
}

void Cipher::decipher_block(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left, r = right;
  for (int i = kCipherRounds + 1; i > 1; i -= 2) {
    l ^= p_[i];
    r ^= round(l);
    r ^= p_[i - 1];
    l ^= round(r);
  }
  l ^= p_[1];
  r ^= p_[0];
  left = r;
  right = l;
}

void Cipher::encipher(std::span<std::uint8_t> bytes) const {
  for (std::size_t at = 0; at + kCipherBlockSize <= bytes.size(); at += kCipherBlockSize) {
    std::uint32_t l = load_be32(&bytes[at]), r = load_be32(&bytes[at + 4]);
    encipher_block(l, r);
    store_be32(&bytes[at], l);
    store_be32(&bytes[at + 4], r);
  }
}

void Cipher::decipher(std::span<std::uint8_t> bytes) const {
  for (std::size_t at = 0; at + kCipherBlockSize <= bytes.size(); at += kCipherBlockSize) {
    std::uint32_t l = load_be32(&bytes[at]), r = load_be32(&bytes[at + 4]);
    decipher_block(l, r);
    store_be32(&bytes[at], l);
    store_be32(&bytes[at + 4], r);
  }
}

std::vector<std::uint8_t> encipher_framed(const Cipher& cipher, std::span<const std::uint8_t> plain) {
  const std::size_t padding = (kCipherBlockSize - (plain.size() + 4) % kCipherBlockSize) % kCipherBlockSize;
  std::vector<std::uint8_t> out;
  out.reserve(plain.size() + padding + 4);
  out.assign(plain.begin(), plain.end());
  out.resize(plain.size() + padding, 0);
  const auto length = static_cast<std::uint32_t>(plain.size());
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(length >> (8 * i)));
  cipher.encipher(out);
  return out;
}

bool decipher_framed(const Cipher& cipher, std::vector<std::uint8_t>& bytes) {
  const std::size_t n = bytes.size();
  if (n < kCipherBlockSize || n % kCipherBlockSize != 0) {
    bytes.clear();
    return false;
  }
  cipher.decipher(bytes);
  const std::int64_t plain = load_le32(&bytes[n - 4]);
  const auto total = static_cast<std::int64_t>(n);
  if (plain < total - 12 || plain > total - 4) {
    bytes.clear();
    return false;
  }
  bytes.resize(static_cast<std::size_t>(plain));
  return true;
}

}  // namespace setup
