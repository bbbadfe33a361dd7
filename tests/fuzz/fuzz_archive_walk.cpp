// Walking the archive's entries over damaged or hostile chunks and records.
//
// The input is a whole section. Mutated bytes would nearly always fail the
// archive and chunk checksums, so this harness recomputes them first and the
// walk itself gets exercised. The stub checksum, unused here, carries the
// settings' switches: bit 0 = chunks are compressed, bit 1 = silent run.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "archive.h"
#include "checksum.h"
#include "container.h"

namespace {

void repair_chunk_checksums(std::vector<std::uint8_t>& archive) {
  std::size_t at = 0;
  while (archive.size() - at >= 8) {
    setup::ByteReader head(std::span(archive).subspan(at, 4));
    const std::int32_t size = head.i32();
    if (size <= 0 || static_cast<std::size_t>(size) > archive.size() - at - 8) return;
    const std::uint32_t sum = setup::additive_checksum(std::span(archive).subspan(at + 8, std::size_t(size)));
    for (int i = 0; i < 4; ++i) archive[at + 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
    at += 8 + std::size_t(size);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> section(data, size);
  setup::OpenedSection opened = setup::open_section(section);
  if (opened.error || opened.version_mismatch) return 0;
  setup::ArchiveInSection located = setup::locate_archive_in_section(section, opened.head, opened.archive_offset);
  if (located.error) return 0;

  std::vector<std::uint8_t> archive(located.bytes.begin(), located.bytes.end());
  repair_chunk_checksums(archive);
  opened.head.archive_checksum = setup::additive_checksum(archive);
  if (setup::verify_archive(archive, opened.head) != 0) return 0;

  const bool compressed = (opened.head.stub_checksum & 1) != 0;
  const bool silent = (opened.head.stub_checksum & 2) != 0;
  setup::ArchiveReader reader(archive, opened.head, compressed, silent);
  setup::FileEntry entry;
  for (int i = 0; i < reader.entry_count(); ++i)
    if (reader.next(entry) != 0) return 0;
  (void)reader.finish();
  return 0;
}
