#pragma once
// The installation data carried in the executable's own file: where it lies,
// its head, the settings read from it, and the archive once verified.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "container_progress.h"
#include "pe_image.h"
#include "section_head.h"
#include "settings.h"

namespace setup {

struct InstallationData {
  std::u16string path;                       // the executable's own file
  std::uint64_t file_size = 0;
  // Where the installation data ends in the file: its end, or the start of
  // an Authenticode signature appended when the installer was signed.
  std::uint64_t data_end = 0;
  SectionSearch section;                     // the section in the file
  std::span<const std::uint8_t> in_image;    // the section's bytes in the loaded image
  SectionHead head;
  std::size_t archive_offset = 0;            // from the section's first byte
  std::vector<std::uint8_t> archive_copy;    // only when read from the file
  std::span<const std::uint8_t> archive;     // set by open_archive
};

// Finds and checks the installation data, reads the settings into `settings`
// and applies the run modes they decide. Ends the run with the matching
// fatal message when there is no data or it is damaged.
void open_installation_data();

// Locates the archive and verifies it as a whole. The driver shows this
// check just before the files; it is also made as soon as the settings are
// read, so that a damaged download is refused before the run creates a
// folder or runs a batch.
void open_archive(ContainerProgress& progress);

// The message for an installer made for another runtime version.
[[noreturn]] void version_mismatch(const std::string& version_found);

}  // namespace setup
