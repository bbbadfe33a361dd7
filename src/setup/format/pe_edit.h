#pragma once
// Editing the executable's PE image: the builder adds the installation-data
// section to the runtime stub; the runtime removes it again to make the
// uninstaller's image; both compute the checksums over the result.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace setup {

// PE32 header facts the edits need.
struct PeHeaders {
  std::uint32_t pe_header = 0;        // file position of "PE\0\0"
  std::uint16_t section_count = 0;
  std::uint32_t optional_header = 0;  // file position of the optional header
  std::uint32_t section_table = 0;
  std::uint32_t file_alignment = 0;
  std::uint32_t section_alignment = 0;
  std::uint32_t size_of_headers = 0;
  std::uint32_t certificate_position = 0;  // Authenticode signature, 0 when unsigned
  std::uint32_t certificate_size = 0;
};

// Offsets in the PE32 optional header.
inline constexpr std::uint32_t kOptMagic = 0;
inline constexpr std::uint32_t kOptInitializedData = 8;
inline constexpr std::uint32_t kOptSectionAlignment = 32;
inline constexpr std::uint32_t kOptFileAlignment = 36;
inline constexpr std::uint32_t kOptSizeOfImage = 56;
inline constexpr std::uint32_t kOptSizeOfHeaders = 60;
inline constexpr std::uint32_t kOptChecksum = 64;
inline constexpr std::uint32_t kOptDirectoryCount = 92;
inline constexpr std::uint32_t kOptDirectories = 96;
inline constexpr std::uint32_t kCertificateDirectory = 4;

// Section table entry fields.
inline constexpr std::uint32_t kSecVirtualSize = 8;
inline constexpr std::uint32_t kSecVirtualAddress = 12;
inline constexpr std::uint32_t kSecRawSize = 16;
inline constexpr std::uint32_t kSecRawPosition = 20;
inline constexpr std::uint32_t kSecCharacteristics = 36;

// v rounded up to a multiple of the alignment a.
std::uint32_t align_up(std::uint64_t v, std::uint32_t a);

// Reads and sanity-checks the headers of a 32-bit PE image; false with a
// reason in `error` when the bytes are no such image.
bool read_pe_headers(std::span<const std::uint8_t> file, PeHeaders& out, std::string& error);

// Appends a section named `name` holding `data` as the last section of the
// image (the file must have no data after its last section). The raw data is
// padded to the file alignment unless `unpadded_tail` is set, in which case
// the file ends with the last byte of `data` and only the first
// `mapped_size` bytes (rounded up to the file alignment) belong to the
// section's raw data: the rest lies behind it in the file.
struct NewSection {
  std::uint32_t file_position = 0;
  std::uint32_t virtual_address = 0;
  std::uint32_t raw_size = 0;
};
bool append_section(std::vector<std::uint8_t>& file, std::string_view name, std::span<const std::uint8_t> data,
                    NewSection& placed, std::string& error, bool unpadded_tail = false,
                    std::size_t mapped_size = 0);

// The image checksum the system computes for drivers and signed files.
std::uint32_t pe_image_checksum(std::span<const std::uint8_t> file, std::uint32_t checksum_position);
// Recomputes and stores the image checksum.
void update_pe_checksum(std::vector<std::uint8_t>& file);

// The additive checksum of the stub: the bytes from the PE header + 92 up to
// `end` (the installation data's file position). The 8 bytes of the
// certificate table entry count as zeros, so that signing the finished
// installer, which fills them in, does not change the result.
std::uint32_t stub_checksum(std::span<const std::uint8_t> file, std::uint32_t end);

// The uninstaller's image: the file without the named section. Entries after
// it move one place up in the section table and their file positions drop by
// the section's raw size; the section count, the initialised-data size and
// the image size shrink. A signature is dropped with its directory entry (it
// could not match the changed bytes). Error code 42 when the section's bytes
// are not all present.
int strip_section(std::span<const std::uint8_t> file, std::string_view name, std::vector<std::uint8_t>& image);

// The same in parts, for a runtime that does not hold its whole file in
// memory. `headers` are the file's first bytes (through the section table);
// section_tail() tells which range of the file behind the section belongs to
// the image (none when the section's data is the last in the file);
// `before` is the file up to the section and `after` that range.
struct FileRange {
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
};
FileRange section_tail(std::span<const std::uint8_t> headers, std::string_view name, std::uint64_t file_size);
int uninstaller_image(std::span<const std::uint8_t> before, std::span<const std::uint8_t> after,
                      std::string_view name, std::vector<std::uint8_t>& image);

}  // namespace setup
