#pragma once
// The head at the start of the `.setup` section: what the data is, how the
// settings block is stored, and the sizes and checksums of the archive.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "byte_stream.h"
#include "product_flags.h"

namespace setup {

inline constexpr std::uint32_t kSectionMagic = 0xA4F23DE5;  // bytes E5 3D F2 A4
inline constexpr char kFormatVersion[] = "37.0.4";
inline constexpr std::int32_t kMaxSettingsBlockSize = 0x31FFFFF;
inline constexpr std::int32_t kMaxFileDataSize = 0x40000000;

struct SectionHead {
  std::uint32_t magic = kSectionMagic;        // 1
  std::string version = kFormatVersion;       // 2, an 8-bit text
  std::uint32_t ProductFlags2 = 0;            // 3
  std::int32_t settings_block_size = 0;       // 4, stored bytes
  std::uint32_t settings_key = 0;             // 5, XOR word and checksum of the settings stream
  std::uint32_t stub_checksum = 0;            // 6, over the executable before the section
  std::int32_t total_size = 0;                // 7, head + settings block + archive
  std::int32_t entry_count = 0;               // 8
  std::int32_t archive_size = 0;              // 9
  std::uint32_t archive_checksum = 0;         // 10
  std::vector<std::int32_t> data_sizes;       // 11, one per entry, in archive order
  std::array<std::uint8_t, 8> cipher_key{};   // 12, stored only when enciphered

  bool enciphered() const { return (ProductFlags2 & flags2::kEnciphered) != 0; }
};

struct HeadRead {
  int error = 0;  // corrupt-installer code; 0 = fine
  // The format version differs: not a damaged installer but one made for
  // another runtime; version_found holds the text read.
  bool version_mismatch = false;
  std::string version_found;
  SectionHead head;
  std::size_t size = 0;  // bytes of fields 1 to 12: where the settings block begins
};

// Reads and checks fields 1 to 12 in order and stops at the first failure:
// 20 magic, the version mismatch, 22 settings block size, 45 total size,
// 27 entry count, 29 archive size, 28 a data size. Never reads outside
// `section`.
HeadRead read_section_head(std::span<const std::uint8_t> section);

// Writes fields 1 to 12 as they are (the cipher key only when enciphered;
// entry_count is written as given, then every data size).
void write_section_head(ByteWriter& out, const SectionHead& head);

}  // namespace setup
