// The section head and the settings block come from a download that may be
// damaged or made to harm: reading them must stay inside the bytes given.
#include <cstddef>
#include <cstdint>
#include <span>

#include "container.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> section(data, size);
  setup::OpenedSection opened = setup::open_section(section);
  if (opened.error || opened.version_mismatch) return 0;
  (void)setup::check_settings_checksum(opened.settings_stream, opened.head.settings_key);
  (void)setup::locate_archive_in_section(section, opened.head, opened.archive_offset);
  return 0;
}
