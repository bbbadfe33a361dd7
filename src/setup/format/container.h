#pragma once
// Opening the installation data from the bytes of the `.setup` section:
// the head, the settings block, and the archive's location and verification.
// Everything here works on bytes handed in; the runtime reads them from its
// own file and turns the codes into the corrupt-installer error.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "byte_buffer.h"
#include "container_progress.h"
#include "section_head.h"

namespace setup {

struct OpenedSection {
  int error = 0;  // corrupt-installer code; 0 = fine
  bool version_mismatch = false;
  std::string version_found;
  SectionHead head;
  // The inflated settings block, for the settings reader; its checksum is
  // compared with the head's settings key once the first settings are read
  // (check_settings_checksum).
  ByteBuffer settings_stream;
  // Where the archive begins, counted from the section's first byte.
  std::size_t archive_offset = 0;
};

// Reads the head (20, version mismatch, 22, 45, 27, 29, 28), finds the
// settings block right after it (22 when the section does not hold it) and
// deciphers or unscrambles and inflates it (47 when that fails).
OpenedSection open_section(std::span<const std::uint8_t> section);

// 25 when the settings stream's checksum differs from the settings key.
int check_settings_checksum(std::span<const std::uint8_t> settings_stream, std::uint32_t settings_key);

// "The installer version (37.0.4) does not match ..." with the program title
// and the version found.
std::string version_mismatch_text(std::string_view program_title, std::string_view version_found);

struct ArchiveInSection {
  int error = 0;  // 46
  std::span<const std::uint8_t> bytes;
};

// The archive inside the section: from archive_offset to the head's total
// size, which must equal the archive size and lie within the section's bytes
// (46 otherwise).
ArchiveInSection locate_archive_in_section(std::span<const std::uint8_t> section, const SectionHead& head,
                                           std::size_t archive_offset);

struct ArchiveInFile {
  int error = 0;  // 46
  std::uint64_t position = 0;
  std::uint64_t length = 0;
};

// When the settings ask for the archive to be read from the file: it runs
// from the section's file position + archive_offset to the end of the file,
// and that length must equal the archive size (46).
ArchiveInFile locate_archive_in_file(std::uint64_t file_size, std::uint64_t section_file_position,
                                     std::size_t archive_offset, const SectionHead& head);

// The fatal text when reading the archive from the file fails.
std::string archive_read_failure_text(std::int64_t length, std::int64_t position);

// Verifies the archive before any file is written: its length (46), then,
// between the progress steps (text 62 at 21 percent, text 54 at 26 percent),
// its checksum (55). Bytes whose checksum was already found good skip the
// sum but still show the steps.
enum class ArchiveChecksum { compute, known_good };
int verify_archive(std::span<const std::uint8_t> archive, const SectionHead& head,
                   ContainerProgress* progress = nullptr, ArchiveChecksum checksum = ArchiveChecksum::compute);

struct WrittenSection {
  std::vector<std::uint8_t> bytes;
  std::string error;  // empty when written
};

// The whole section: `head` gives the version, ProductFlags2, the stub
// checksum, the data sizes and the cipher key; the settings key, the sizes,
// the entry count and the checksums are computed here. The settings stream
// is deflated at `level`, then enciphered or scrambled; the archive (as
// build_archive makes it) follows as it is.
WrittenSection write_section(const SectionHead& head, std::span<const std::uint8_t> settings_stream,
                             std::span<const std::uint8_t> archive, int level = 9);

}  // namespace setup
