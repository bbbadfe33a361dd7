#include "container.h"

#include <limits>

#include "checksum.h"
#include "cipher.h"
#include "kv_core.h"
#include "scramble.h"
#include "text_ids.h"
#include "zlib_codec.h"

namespace setup {
namespace {

constexpr int kSettingsBlockSizeError = 22;
constexpr int kSettingsChecksumError = 25;
constexpr int kArchiveLengthError = 46;
constexpr int kSettingsNotInflated = 47;
constexpr int kArchiveChecksumError = 55;

constexpr int kVerifyingProgress = 21;
constexpr int kVerifiedProgress = 26;

}  // namespace

OpenedSection open_section(std::span<const std::uint8_t> section) {
  OpenedSection opened;
  HeadRead read = read_section_head(section);
  opened.error = read.error;
  opened.version_mismatch = read.version_mismatch;
  opened.version_found = std::move(read.version_found);
  opened.head = std::move(read.head);
  if (opened.error || opened.version_mismatch) return opened;

  const SectionHead& head = opened.head;
  const auto block_size = static_cast<std::size_t>(head.settings_block_size);
  if (section.size() - read.size < block_size) {
    opened.error = kSettingsBlockSizeError;
    return opened;
  }
  opened.archive_offset = read.size + block_size;

  std::vector<std::uint8_t> block(section.begin() + read.size, section.begin() + opened.archive_offset);
  if (head.enciphered()) {
    // A block whose framing is wrong cannot be inflated either.
    auto cipher = Cipher::from_key(head.cipher_key);
    if (!decipher_framed(*cipher, block)) {
      opened.error = kSettingsNotInflated;
      return opened;
    }
  } else {
    scramble(block, head.settings_key);
  }
  Inflated inflated = inflate_bytes(block);
  if (!inflated.ok) {
    opened.error = kSettingsNotInflated;
    return opened;
  }
  opened.settings_stream = std::move(inflated.bytes);
  return opened;
}

int check_settings_checksum(std::span<const std::uint8_t> settings_stream, std::uint32_t settings_key) {
  return additive_checksum(settings_stream) == settings_key ? 0 : kSettingsChecksumError;
}

std::string version_mismatch_text(std::string_view program_title, std::string_view version_found) {
  std::string title(program_title), found(version_found);
  return kv::format_limited("The installer version (%s) does not match the version of %s (%s).  "
                            "Close all applications and reinstall %s.",
                            kFormatVersion, title.c_str(), found.c_str(), title.c_str());
}

ArchiveInSection locate_archive_in_section(std::span<const std::uint8_t> section, const SectionHead& head,
                                           std::size_t archive_offset) {
  ArchiveInSection found;
  // The sizes are checked in 64 bits: a hostile total size must neither wrap
  // nor point past the section's bytes.
  const auto total = static_cast<std::int64_t>(head.total_size);
  const std::int64_t length = total - static_cast<std::int64_t>(archive_offset);
  if (length != head.archive_size || total > static_cast<std::int64_t>(section.size())) {
    found.error = kArchiveLengthError;
    return found;
  }
  found.bytes = section.subspan(archive_offset, static_cast<std::size_t>(length));
  return found;
}

ArchiveInFile locate_archive_in_file(std::uint64_t file_size, std::uint64_t section_file_position,
                                     std::size_t archive_offset, const SectionHead& head) {
  ArchiveInFile found;
  found.position = section_file_position + archive_offset;
  if (found.position > file_size || file_size - found.position != static_cast<std::uint64_t>(head.archive_size)) {
    found.error = kArchiveLengthError;
    return found;
  }
  found.length = file_size - found.position;
  return found;
}

std::string archive_read_failure_text(std::int64_t length, std::int64_t position) {
  return "Error code 2: failed to read archive data\r\nsize=" + std::to_string(length) +
         " pos=" + std::to_string(position);
}

int verify_archive(std::span<const std::uint8_t> archive, const SectionHead& head, ContainerProgress* progress,
                   ArchiveChecksum checksum) {
  ContainerProgress quiet;
  ContainerProgress& show = progress ? *progress : quiet;
  if (archive.size() != static_cast<std::size_t>(head.archive_size)) return kArchiveLengthError;
  show.wait_minimum_display();
  show.show_step(text_id::kVerifying);
  show.post_progress(kVerifyingProgress);
  if (checksum == ArchiveChecksum::compute && additive_checksum(archive) != head.archive_checksum)
    return kArchiveChecksumError;
  show.wait_minimum_display();
  show.show_step(text_id::kInstallingCaption);
  show.post_progress(kVerifiedProgress);
  return 0;
}

}  // namespace setup
