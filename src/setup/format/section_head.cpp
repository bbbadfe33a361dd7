#include "section_head.h"

#include <algorithm>

namespace setup {
namespace {

// The head is read through a bounds-checked reader. When the section ends
// inside a field, the field's group gives the error code:
//   magic, format version                                  -> 20
//   ProductFlags2, settings block size, settings key,
//   cipher key (all say how the settings block is stored)  -> 22
//   stub checksum, total size                              -> 45
//   entry count                                            -> 27
//   archive size, archive checksum                         -> 29
//   data sizes                                             -> 28
constexpr int kMagicError = 20;
constexpr int kSettingsBlockError = 22;
constexpr int kTotalSizeError = 45;
constexpr int kEntryCountError = 27;
constexpr int kArchiveSizeError = 29;
constexpr int kDataSizeError = 28;

}  // namespace

HeadRead read_section_head(std::span<const std::uint8_t> section) {
  HeadRead r;
  SectionHead& h = r.head;
  ByteReader in(section);
  auto fail = [&r](int code) {
    r.error = code;
    return r;
  };

  h.magic = in.u32();
  if (in.overran() || h.magic != kSectionMagic) return fail(kMagicError);

  std::string_view version = in.cstring();
  if (in.overran()) return fail(kMagicError);
  h.version = std::string(version);
  if (version != kFormatVersion) {
    r.version_mismatch = true;
    r.version_found = h.version;
    return r;
  }

  h.ProductFlags2 = in.u32();
  h.settings_block_size = in.i32();
  if (in.overran() || h.settings_block_size < 1 || h.settings_block_size > kMaxSettingsBlockSize)
    return fail(kSettingsBlockError);
  h.settings_key = in.u32();
  if (in.overran()) return fail(kSettingsBlockError);

  h.stub_checksum = in.u32();
  h.total_size = in.i32();
  if (in.overran() || h.total_size < 0) return fail(kTotalSizeError);

  h.entry_count = in.i32();
  if (in.overran() || h.entry_count < 0) return fail(kEntryCountError);

  h.archive_size = in.i32();
  h.archive_checksum = in.u32();
  if (in.overran() || h.archive_size < 0) return fail(kArchiveSizeError);

  // A count near 2^31 must not reserve gigabytes: the table has to fit in
  // the bytes that are there (a bad size inside it would give 28 as well).
  if (in.remaining() / 4 < static_cast<std::size_t>(h.entry_count)) return fail(kDataSizeError);
  h.data_sizes.resize(static_cast<std::size_t>(h.entry_count));
  for (std::int32_t& size : h.data_sizes) {
    size = in.i32();
    if (size < 0 || size > kMaxFileDataSize) return fail(kDataSizeError);
  }

  if (h.enciphered()) {
    auto key = in.bytes(h.cipher_key.size());
    if (in.overran()) return fail(kSettingsBlockError);
    std::copy(key.begin(), key.end(), h.cipher_key.begin());
  }
  r.size = in.position();
  return r;
}

void write_section_head(ByteWriter& out, const SectionHead& head) {
  out.u32(head.magic);
  out.cstring(head.version);
  out.u32(head.ProductFlags2);
  out.i32(head.settings_block_size);
  out.u32(head.settings_key);
  out.u32(head.stub_checksum);
  out.i32(head.total_size);
  out.i32(head.entry_count);
  out.i32(head.archive_size);
  out.u32(head.archive_checksum);
  for (std::int32_t size : head.data_sizes) out.i32(size);
  if (head.enciphered()) out.bytes(head.cipher_key);
}

}  // namespace setup
