#pragma once
// Reading the executable's PE headers to find the section that carries the
// installation data, and the offsets the builder and the uninstaller image
// need.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace setup {

inline constexpr char kSetupSectionName[] = ".setup";

// Offsets inside the PE header (from its start, "PE\0\0").
inline constexpr std::uint32_t kPeSectionCountOffset = 6;
inline constexpr std::uint32_t kPeOptionalSizeOffset = 20;
inline constexpr std::uint32_t kPeInitializedDataOffset = 32;
inline constexpr std::uint32_t kPeSizeOfImageOffset = 80;
inline constexpr std::uint32_t kPeChecksumOffset = 88;
// The stub checksum starts right after the image checksum field.
inline constexpr std::uint32_t kPeStubChecksumStart = 92;
inline constexpr std::uint32_t kSectionEntrySize = 40;

struct SectionEntry {
  std::uint32_t table_position = 0;  // file position of the 40-byte entry
  std::uint32_t virtual_address = 0;
  std::uint32_t raw_size = 0;
  std::uint32_t file_position = 0;
};

struct SectionSearch {
  int error = 0;       // 43, 44 or 9 (corrupt-installer codes); 0 otherwise
  bool found = false;  // false with error 0: no such section
  std::uint32_t pe_header = 0;
  std::uint16_t section_count = 0;
  std::uint32_t table_position = 0;
  int index = -1;
  SectionEntry entry;
};

// Searches the file's leading bytes (they must reach the end of the section
// table; a table cut short counts as not found).
SectionSearch find_section(std::span<const std::uint8_t> file_head, std::string_view name = kSetupSectionName);

// How many leading bytes of a file find_section may need at most.
inline constexpr std::size_t kMaxPeHeadersSize = 4096 + 24 + 65535 + 99 * kSectionEntrySize;

std::uint16_t read_u16(std::span<const std::uint8_t> bytes, std::size_t at);
std::uint32_t read_u32(std::span<const std::uint8_t> bytes, std::size_t at);
void put_u16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value);
void put_u32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);

}  // namespace setup
