#include "verify.h"

#include <algorithm>

#include "archive.h"
#include "container.h"
#include "input_files.h"
#include "pe_edit.h"
#include "pe_image.h"
#include "settings_stream.h"
#include "utf8_paths.h"

namespace builder {
namespace {

std::string corrupt(std::string_view what, int code) {
  return std::string(what) + " (the installer would stop with error code " + std::to_string(code) + ")";
}

// Which field of a file entry differs, or nothing.
std::string entry_difference(const setup::FileEntry& read, const setup::FileEntry& wanted) {
  if (read.target_name != wanted.target_name) return "target name";
  if (read.kind != wanted.kind) return "kind";
  if (read.flags != wanted.flags) return "flags";
  if (read.attributes != wanted.attributes) return "attributes";
  if (!(read.time == wanted.time)) return "time";
  if (read.label != wanted.label) return "label";
  if (wanted.has_extra_1() && read.extra_1 != wanted.extra_1) return "shortcut icon";
  if (read.parameter_text != wanted.parameter_text) return "parameter text";
  if (read.wide_name != wanted.wide_name) return "destination";
  if (read.extra_2 != wanted.extra_2) return "extra text";
  if (wanted.kind == setup::file_kind::kPackage && read.package_ui_level != wanted.package_ui_level)
    return "package user-interface level";
  return {};
}

std::string verify_stripped(std::span<const std::uint8_t> installer, std::span<const std::uint8_t> stub) {
  std::vector<std::uint8_t> image;
  if (int code = setup::strip_section(installer, setup::kSetupSectionName, image))
    return corrupt("the uninstaller image cannot be made without the installation data", code);
  setup::SectionSearch left =
      setup::find_section(std::span(image).first(std::min(image.size(), setup::kMaxPeHeadersSize)));
  if (left.found) return "the uninstaller image still holds the installation data";
  // The stub comes back, apart from its image checksum (and the zeros that
  // aligned the section's start).
  std::uint32_t checksum = setup::read_u32(stub, 60) + setup::kPeChecksumOffset;
  bool same = image.size() >= stub.size();
  for (std::size_t i = 0; same && i < image.size(); ++i) {
    if (i >= checksum && i < checksum + 4) continue;
    same = i < stub.size() ? image[i] == stub[i] : image[i] == 0;
  }
  if (!same) return "the uninstaller image made without the installation data differs from the stub";
  std::uint32_t stored = setup::read_u32(image, checksum);
  if (stored != setup::pe_image_checksum(image, checksum)) return "the uninstaller image's checksum is wrong";
  return {};
}

}  // namespace

std::string verify_installer(std::span<const std::uint8_t> installer, const Product& product,
                             std::span<const std::uint8_t> stub) {
  setup::PeHeaders pe;
  std::string error;
  if (!setup::read_pe_headers(installer, pe, error)) return "not a valid executable: " + error;
  std::uint32_t checksum_at = pe.pe_header + setup::kPeChecksumOffset;
  if (setup::read_u32(installer, checksum_at) != setup::pe_image_checksum(installer, checksum_at))
    return "the executable's image checksum is wrong";

  setup::SectionSearch found =
      setup::find_section(installer.first(std::min(installer.size(), setup::kMaxPeHeadersSize)));
  if (found.error) return corrupt("the executable's headers are refused", found.error);
  if (!found.found) return "the installer has no .setup section";
  const setup::SectionEntry& entry = found.entry;
  if (entry.file_position == 0 || std::uint64_t(entry.file_position) + entry.raw_size > installer.size())
    return corrupt("the .setup section lies outside the file", 10);
  std::span<const std::uint8_t> section = installer.subspan(entry.file_position, entry.raw_size);

  setup::OpenedSection opened = setup::open_section(section);
  if (opened.version_mismatch) return "the format version differs: " + opened.version_found;
  if (opened.error) return corrupt("the section head or the settings are refused", opened.error);
  if (opened.head.stub_checksum != setup::stub_checksum(installer, entry.file_position))
    return corrupt("the stub checksum is wrong", 40);
  std::uint32_t flags2 = product.ProductFlags2 & ~setup::flags2::kEnciphered;
  if ((opened.head.ProductFlags2 & ~setup::flags2::kEnciphered) != flags2) return "ProductFlags2 differs";

  setup::Settings settings;
  int code = setup::read_settings(opened.settings_stream, settings, [&](setup::Settings&) {
    return setup::check_settings_checksum(opened.settings_stream, opened.head.settings_key);
  });
  if (code) return corrupt("the settings are refused", code);
  if (!(settings == product.settings)) return "the settings read back differ from the product's";

  std::span<const std::uint8_t> archive;
  if (settings.archive_from_file) {
    setup::ArchiveInFile where =
        setup::locate_archive_in_file(installer.size(), entry.file_position, opened.archive_offset, opened.head);
    if (where.error) return corrupt("the archive is not where the head says", where.error);
    archive = installer.subspan(where.position, where.length);
  } else {
    setup::ArchiveInSection where = setup::locate_archive_in_section(section, opened.head, opened.archive_offset);
    if (where.error) return corrupt("the archive is not where the head says", where.error);
    archive = where.bytes;
  }
  if (int c = setup::verify_archive(archive, opened.head)) return corrupt("the archive is refused", c);

  setup::ArchiveReader reader(archive, opened.head, settings.ProductFlags.has_low(setup::flags_low::kCompressedArchive), false);
  if (reader.entry_count() != static_cast<int>(product.files.size()))
    return "the archive holds " + std::to_string(reader.entry_count()) + " files, the product " +
           std::to_string(product.files.size());
  std::vector<std::uint8_t> source;
  for (const PackedFile& f : product.files) {
    setup::FileEntry read;
    if (int c = reader.next(read)) return corrupt("file entry " + std::to_string(reader.index()) + " is refused", c);
    std::string name = path_to_utf8(f.source);
    if (std::string field = entry_difference(read, f.entry); !field.empty())
      return name + ": the entry's " + field + " differs";
    if (!read_file_bytes(f.source, source, error)) return error;
    if (!std::equal(read.data.begin(), read.data.end(), source.begin(), source.end()))
      return name + ": the data read back differ from the file";
  }
  if (int c = reader.finish()) return corrupt("bytes are left in the archive", c);

  if (opened.head.ProductFlags2 & setup::flags2::kUninstallerWithoutSetupSection)
    return verify_stripped(installer, stub);
  return {};
}

}  // namespace builder
