// The writing side of the section, used by the builder and the tests; kept
// apart so that the runtime, which only reads, does not carry it.
#include "container.h"

#include <limits>

#include "checksum.h"
#include "cipher.h"
#include "scramble.h"
#include "zlib_codec.h"

namespace setup {

WrittenSection write_section(const SectionHead& values, std::span<const std::uint8_t> settings_stream,
                             std::span<const std::uint8_t> archive, int level) {
  WrittenSection written;
  constexpr auto kMaxSigned = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  SectionHead head = values;
  head.settings_key = additive_checksum(settings_stream);

  std::vector<std::uint8_t> block = deflate_bytes(settings_stream, level);
  if (block.empty()) {
    written.error = "the settings could not be compressed";
    return written;
  }
  if (head.enciphered())
    block = encipher_framed(*Cipher::from_key(head.cipher_key), block);
  else
    scramble(block, head.settings_key);
  if (block.size() > static_cast<std::size_t>(kMaxSettingsBlockSize)) {
    written.error = "the compressed settings are larger than 52,428,799 bytes";
    return written;
  }
  if (archive.size() > kMaxSigned || head.data_sizes.size() > kMaxSigned) {
    written.error = "the archive is larger than 2 GB";
    return written;
  }
  head.settings_block_size = static_cast<std::int32_t>(block.size());
  head.entry_count = static_cast<std::int32_t>(head.data_sizes.size());
  head.archive_size = static_cast<std::int32_t>(archive.size());
  head.archive_checksum = additive_checksum(archive);

  ByteWriter measure;
  write_section_head(measure, head);
  const std::size_t total = measure.size() + block.size() + archive.size();
  if (total > kMaxSigned) {
    written.error = "the installation data is larger than 2 GB";
    return written;
  }
  head.total_size = static_cast<std::int32_t>(total);

  ByteWriter out;
  write_section_head(out, head);
  out.bytes(block);
  out.bytes(archive);
  written.bytes = out.take();
  return written;
}

}  // namespace setup
