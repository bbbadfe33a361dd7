// Compression for the builder and the tests; the runtime only inflates.
#include <zlib.h>

#include "zlib_codec.h"

namespace setup {

std::vector<std::uint8_t> deflate_bytes(std::span<const std::uint8_t> input, int level) {
  z_stream z{};
  if (deflateInit(&z, level) != Z_OK) return {};
  std::vector<std::uint8_t> out(deflateBound(&z, static_cast<uLong>(input.size())));
  z.next_in = const_cast<Bytef*>(input.data());
  z.avail_in = static_cast<uInt>(input.size());
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) return {};
  return out;
}

}  // namespace setup
