#include "pe_edit.h"

#include <algorithm>
#include <cstring>

#include "checksum.h"
#include "pe_image.h"

namespace setup {
namespace {

constexpr std::uint32_t kInitializedReadable = 0x40000040;  // initialised data, readable
constexpr std::uint32_t kPageSize = 0x1000;

std::uint32_t certificate_entry(const PeHeaders& h) {
  return h.optional_header + kOptDirectories + kCertificateDirectory * 8;
}

// The end of the image's section data in the file and in memory.
struct Extent {
  std::uint64_t file_end = 0;
  std::uint64_t image_end = 0;
};
Extent section_extent(std::span<const std::uint8_t> file, const PeHeaders& h, int skip = -1) {
  Extent e{h.size_of_headers, h.size_of_headers};
  for (int i = 0; i < h.section_count; ++i) {
    if (i == skip) continue;
    std::size_t at = h.section_table + std::size_t(i) * kSectionEntrySize;
    std::uint32_t vsize = read_u32(file, at + kSecVirtualSize);
    std::uint32_t raw = read_u32(file, at + kSecRawSize);
    e.file_end = std::max<std::uint64_t>(e.file_end, std::uint64_t(read_u32(file, at + kSecRawPosition)) + raw);
    e.image_end = std::max<std::uint64_t>(e.image_end, std::uint64_t(read_u32(file, at + kSecVirtualAddress)) +
                                                           std::max(vsize, raw));
  }
  return e;
}

}  // namespace

std::uint32_t align_up(std::uint64_t v, std::uint32_t a) { return static_cast<std::uint32_t>((v + a - 1) / a * a); }

bool read_pe_headers(std::span<const std::uint8_t> file, PeHeaders& h, std::string& error) {
  if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z') {
    error = "not an executable (no MZ header)";
    return false;
  }
  h.pe_header = read_u32(file, 60);
  if (h.pe_header > file.size() || file.size() - h.pe_header < 24 + kOptDirectories ||
      std::memcmp(file.data() + h.pe_header, "PE\0\0", 4) != 0) {
    error = "not a PE image (no PE header)";
    return false;
  }
  h.section_count = read_u16(file, h.pe_header + kPeSectionCountOffset);
  std::uint16_t optional_size = read_u16(file, h.pe_header + kPeOptionalSizeOffset);
  h.optional_header = h.pe_header + 24;
  if (read_u16(file, h.optional_header + kOptMagic) != 0x10B || optional_size < kOptDirectories + 16 * 8) {
    error = "not a 32-bit PE image";
    return false;
  }
  h.section_table = h.optional_header + optional_size;
  if (h.section_table + std::size_t(h.section_count) * kSectionEntrySize > file.size()) {
    error = "section table cut short";
    return false;
  }
  h.file_alignment = read_u32(file, h.optional_header + kOptFileAlignment);
  h.section_alignment = read_u32(file, h.optional_header + kOptSectionAlignment);
  h.size_of_headers = read_u32(file, h.optional_header + kOptSizeOfHeaders);
  if (h.file_alignment == 0 || h.section_alignment == 0 || (h.file_alignment & (h.file_alignment - 1)) ||
      (h.section_alignment & (h.section_alignment - 1))) {
    error = "bad section or file alignment";
    return false;
  }
  if (read_u32(file, h.optional_header + kOptDirectoryCount) > kCertificateDirectory) {
    h.certificate_position = read_u32(file, certificate_entry(h));
    h.certificate_size = read_u32(file, certificate_entry(h) + 4);
  }
  return true;
}

bool append_section(std::vector<std::uint8_t>& file, std::string_view name, std::span<const std::uint8_t> data,
                    NewSection& placed, std::string& error, bool unpadded_tail, std::size_t mapped_size) {
  PeHeaders h;
  if (!read_pe_headers(file, h, error)) return false;
  if (name.size() > 8) {
    error = "section name longer than 8 characters";
    return false;
  }
  if (h.certificate_size != 0) {
    error = "the stub is signed; sign the finished installer instead";
    return false;
  }
  Extent extent = section_extent(file, h);
  if (extent.file_end < file.size()) {
    error = "the stub has data behind its last section";
    return false;
  }
  std::uint32_t entry = h.section_table + std::uint32_t(h.section_count) * kSectionEntrySize;
  std::uint32_t first_raw = h.size_of_headers;
  for (int i = 0; i < h.section_count; ++i) {
    std::uint32_t raw_pos = read_u32(file, h.section_table + i * kSectionEntrySize + kSecRawPosition);
    if (raw_pos) first_raw = std::min(first_raw, raw_pos);
  }
  if (entry + kSectionEntrySize > first_raw) {
    error = "no room for another section header in the stub";
    return false;
  }
  if (data.size() > 0x7FFF0000u - extent.file_end) {
    error = "installation data too large for an executable";
    return false;
  }

  // The section starts on a page boundary of the file: a loader can then map
  // it from the file instead of copying it into private memory (Wine copies
  // every section that does not start on a page), which matters when the
  // section holds the whole product.
  placed.file_position = align_up(extent.file_end, std::max<std::uint32_t>(h.file_alignment, kPageSize));
  placed.virtual_address = align_up(extent.image_end, h.section_alignment);
  std::size_t in_section = unpadded_tail ? std::min(mapped_size, data.size()) : data.size();
  placed.raw_size = align_up(in_section, h.file_alignment);
  std::uint32_t virtual_size = static_cast<std::uint32_t>(unpadded_tail ? placed.raw_size : data.size());

  std::uint8_t header[kSectionEntrySize] = {};
  std::memcpy(header, name.data(), name.size());
  std::vector<std::uint8_t> scratch(header, header + kSectionEntrySize);
  put_u32(scratch, kSecVirtualSize, virtual_size);
  put_u32(scratch, kSecVirtualAddress, placed.virtual_address);
  put_u32(scratch, kSecRawSize, placed.raw_size);
  put_u32(scratch, kSecRawPosition, placed.file_position);
  put_u32(scratch, kSecCharacteristics, kInitializedReadable);
  std::copy(scratch.begin(), scratch.end(), file.begin() + entry);

  put_u16(file, h.pe_header + kPeSectionCountOffset, static_cast<std::uint16_t>(h.section_count + 1));
  put_u32(file, h.optional_header + kOptSizeOfImage,
          align_up(std::uint64_t(placed.virtual_address) + virtual_size, h.section_alignment));
  put_u32(file, h.optional_header + kOptInitializedData,
          read_u32(file, h.optional_header + kOptInitializedData) + placed.raw_size);

  file.resize(placed.file_position, 0);
  file.insert(file.end(), data.begin(), data.end());
  if (!unpadded_tail) file.resize(std::size_t(placed.file_position) + placed.raw_size, 0);
  else if (file.size() < std::size_t(placed.file_position) + placed.raw_size)
    file.resize(std::size_t(placed.file_position) + placed.raw_size, 0);
  return true;
}

std::uint32_t pe_image_checksum(std::span<const std::uint8_t> file, std::uint32_t checksum_position) {
  std::uint64_t sum = 0;
  std::size_t n = file.size();
  for (std::size_t i = 0; i + 1 < n; i += 2) {
    if (i == checksum_position || i == checksum_position + 2) continue;
    sum += std::uint32_t(file[i]) | (std::uint32_t(file[i + 1]) << 8);
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  if (n & 1) {
    sum += file[n - 1];
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<std::uint32_t>(sum + n);
}

void update_pe_checksum(std::vector<std::uint8_t>& file) {
  PeHeaders h;
  std::string error;
  if (!read_pe_headers(file, h, error)) return;
  std::uint32_t at = h.optional_header + kOptChecksum;
  put_u32(file, at, pe_image_checksum(file, at));
}

std::uint32_t stub_checksum(std::span<const std::uint8_t> file, std::uint32_t end) {
  if (file.size() < 64) return additive_checksum({});
  std::uint32_t start = read_u16(file, 60) + kPeStubChecksumStart;
  if (end > file.size() || start >= end) return additive_checksum({});
  std::vector<std::uint8_t> bytes(file.begin() + start, file.begin() + end);
  PeHeaders h;
  std::string error;
  if (read_pe_headers(file, h, error)) {
    std::uint32_t entry = certificate_entry(h);
    for (std::uint32_t i = entry; i < entry + 8; ++i)
      if (i >= start && i < end) bytes[i - start] = 0;
  }
  return additive_checksum(bytes);
}

FileRange section_tail(std::span<const std::uint8_t> headers, std::string_view name, std::uint64_t file_size) {
  FileRange tail{file_size, file_size};
  SectionSearch found = find_section(headers.first(std::min(headers.size(), kMaxPeHeadersSize)), name);
  PeHeaders h;
  std::string error;
  if (!found.found || found.error || !read_pe_headers(headers, h, error)) return tail;
  std::uint64_t section_end = std::uint64_t(found.entry.file_position) + found.entry.raw_size;
  // A signature lies behind everything else; it is dropped, not copied.
  std::uint64_t end = file_size;
  if (h.certificate_size && h.certificate_position >= section_end && h.certificate_position <= file_size)
    end = h.certificate_position;
  // When the section's data is the last in the file, what follows it (the
  // archive read from the file may run on behind the raw data) belongs to the
  // installation data too and goes with it.
  if (section_extent(headers, h, found.index).file_end <= found.entry.file_position || section_end > end)
    return {end, end};
  return {section_end, end};
}

int uninstaller_image(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after,
                      std::string_view name, std::vector<std::uint8_t>& image) {
  SectionSearch found = find_section(before.first(std::min(before.size(), kMaxPeHeadersSize)), name);
  PeHeaders h;
  std::string error;
  if (!found.found || found.error || before.size() < found.entry.file_position || !read_pe_headers(before, h, error))
    return 42;
  std::uint32_t removed = found.entry.raw_size;

  // Up to the section, less the padding that put it on a page boundary when
  // nothing follows it.
  std::uint64_t keep = found.entry.file_position;
  std::uint64_t others_end = section_extent(before, h, found.index).file_end;
  if (after.empty() && others_end < keep) keep = others_end;
  image.assign(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(keep));
  image.insert(image.end(), after.begin(), after.end());

  std::uint32_t count = h.section_count;
  put_u16(image, h.pe_header + kPeSectionCountOffset, static_cast<std::uint16_t>(count - 1));
  put_u32(image, h.optional_header + kOptInitializedData,
          read_u32(image, h.optional_header + kOptInitializedData) - found.entry.raw_size);
  std::uint32_t at = found.entry.table_position;
  for (std::uint32_t i = found.index + 1; i < count; ++i, at += kSectionEntrySize) {
    std::copy(image.begin() + at + kSectionEntrySize, image.begin() + at + 2 * kSectionEntrySize,
              image.begin() + at);
    std::uint32_t pos = read_u32(image, at + kSecRawPosition);
    if (pos > found.entry.file_position) put_u32(image, at + kSecRawPosition, pos - removed);
  }
  std::fill(image.begin() + at, image.begin() + at + kSectionEntrySize, 0);
  // The image ends where its remaining sections end (the section's virtual
  // size may differ from its raw size, so subtracting would misalign it).
  h.section_count = static_cast<std::uint16_t>(count - 1);
  put_u32(image, h.optional_header + kOptSizeOfImage,
          align_up(section_extent(image, h).image_end, h.section_alignment));
  if (h.certificate_size) {
    put_u32(image, certificate_entry(h), 0);
    put_u32(image, certificate_entry(h) + 4, 0);
  }
  update_pe_checksum(image);
  return 0;
}

int strip_section(std::span<const std::uint8_t> file, std::string_view name, std::vector<std::uint8_t>& image) {
  SectionSearch found = find_section(file.first(std::min(file.size(), kMaxPeHeadersSize)), name);
  if (!found.found || found.error) return 42;
  FileRange tail = section_tail(file, name, file.size());
  return uninstaller_image(file.first(found.entry.file_position), file.subspan(tail.begin, tail.end - tail.begin),
                           name, image);
}

}  // namespace setup
