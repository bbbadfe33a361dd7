#include "zlib_codec.h"

#include <zlib.h>

#include <algorithm>

namespace setup {

Inflated inflate_bytes(std::span<const std::uint8_t> input) {
  Inflated result;
  result.ok = inflate_into(input, result.bytes, &result.complete);
  return result;
}

bool inflate_into(std::span<const std::uint8_t> input, ByteBuffer& out, bool* complete) {
  if (complete) *complete = false;
  out.clear();
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  out.reserve(3 * input.size() + 1024);
  std::size_t used = 0;
  bool failed = false;
  for (std::size_t at = 0; at < input.size() && !failed;) {
    const std::size_t piece = std::min(kInflatePiece, input.size() - at);
    z.next_in = const_cast<Bytef*>(input.data() + at);
    z.avail_in = static_cast<uInt>(piece);
    do {
      // resize() keeps the reserved room and grows it geometrically.
      out.resize(used + kInflatePiece);
      z.next_out = out.data() + used;
      z.avail_out = static_cast<uInt>(kInflatePiece);
      const int status = inflate(&z, Z_NO_FLUSH);
      used += kInflatePiece - z.avail_out;
      if (status == Z_STREAM_ERROR) {
        failed = true;
        break;
      }
      if (status == Z_STREAM_END && complete) *complete = true;
    } while (z.avail_out == 0);
    at += piece;
  }
  inflateEnd(&z);
  out.resize(used);
  return !failed;
}

}  // namespace setup
