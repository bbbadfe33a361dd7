#pragma once
// zlib streams (with their two-byte header) for the settings block and the
// archive chunks.
#include <cstdint>
#include <span>
#include <vector>

#include "byte_buffer.h"

namespace setup {

inline constexpr std::size_t kInflatePiece = 16384;

struct Inflated {
  // False only when the inflater reports a stream error (or cannot start):
  // damaged data is not a failure here, the checksums over the output catch
  // it.
  bool ok = false;
  // The stream's end was reached; damaged or cut streams leave it false.
  bool complete = false;
  ByteBuffer bytes;
};

// Feeds the input in pieces of at most 16,384 bytes and drains the output in
// 16,384-byte pieces until a piece is not filled. The output buffer starts
// with room for 3 x input + 1,024 bytes and grows as needed.
Inflated inflate_bytes(std::span<const std::uint8_t> input);
// The same into a buffer whose room is reused (its content is replaced):
// decoding chunk after chunk into recycled buffers spares the system a fresh
// allocation, and its page faults, for each one. False on a stream error.
bool inflate_into(std::span<const std::uint8_t> input, ByteBuffer& out, bool* complete = nullptr);

// A complete zlib stream of the input at the given level (0 to 9, or -1 for
// zlib's default). Empty only when zlib fails (a stream of no bytes still has
// its header and end).
std::vector<std::uint8_t> deflate_bytes(std::span<const std::uint8_t> input, int level);

}  // namespace setup
