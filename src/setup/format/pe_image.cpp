#include "pe_image.h"

#include <cstring>

namespace setup {

std::uint16_t read_u16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t read_u32(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

void put_u16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put_u32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

SectionSearch find_section(std::span<const std::uint8_t> head, std::string_view name) {
  SectionSearch s;
  if (head.size() < 62) {
    s.error = 43;
    return s;
  }
  s.pe_header = read_u16(head, 60);
  if (s.pe_header < 64 || s.pe_header > 4096) {
    s.error = 43;
    return s;
  }
  if (head.size() < s.pe_header + 24) return s;
  s.section_count = read_u16(head, s.pe_header + kPeSectionCountOffset);
  if (s.section_count < 4 || s.section_count > 99) {
    s.error = 44;
    return s;
  }
  std::uint32_t optional_size = read_u16(head, s.pe_header + kPeOptionalSizeOffset);
  s.table_position = s.pe_header + 24 + optional_size;

  char wanted[8] = {};
  std::memcpy(wanted, name.data(), name.size() < 8 ? name.size() : 8);
  for (int i = 0; i < s.section_count; ++i) {
    std::size_t at = s.table_position + std::size_t(i) * kSectionEntrySize;
    if (at + kSectionEntrySize > head.size()) return s;
    if (std::memcmp(head.data() + at, wanted, 8) != 0) continue;
    s.found = true;
    s.index = i;
    s.entry.table_position = static_cast<std::uint32_t>(at);
    s.entry.virtual_address = read_u32(head, at + 12);
    s.entry.raw_size = read_u32(head, at + 16);
    s.entry.file_position = read_u32(head, at + 20);
    if (s.entry.file_position == 0) s.error = 9;
    return s;
  }
  return s;
}

}  // namespace setup
