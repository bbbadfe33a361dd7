#include "installation_data.h"

#include <windows.h>

#include <algorithm>

#include "container.h"
#include "corrupt_installer.h"
#include "kv_core.h"
#include "run_state.h"
#include "system_error.h"
#include "localised.h"
#include "os_version.h"
#include "pe_edit.h"
#include "run_modes.h"
#include "settings_run_modes.h"
#include "settings_stream.h"
#include "win_handles.h"

namespace setup {

namespace {

constexpr char kNoDataMessage[] =
    "This program performs installations and uninstallations.\r\n"
    "There is no installation data present.\r\n"
    "No uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.";


kv::UniqueFile open_own_file() {
  kv::UniqueFile file(CreateFileW(kv::as_wide(run.installation.path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    int code = kv::file_error_from_system(GetLastError());
    kv::fatal("Error code 1: The installer could not open itself.\r\nFilename: %s\r\nError #%d: %s",
              kv::utf16_to_ansi(run.installation.path).c_str(), code, kv::file_error_text(code));
  }
  return file;
}

bool read_at(HANDLE file, std::uint64_t position, void* buffer, std::size_t length) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(position);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
  auto* out = static_cast<std::uint8_t*>(buffer);
  while (length > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 24));
    DWORD got = 0;
    if (!ReadFile(file, out, chunk, &got, nullptr) || got == 0) return false;
    out += got;
    length -= got;
  }
  return true;
}

// The section in the loaded image, bounded by what the loader mapped.
std::span<const std::uint8_t> section_in_image(const SectionEntry& entry) {
  auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleW(nullptr));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
  std::uint32_t image_size = nt->OptionalHeader.SizeOfImage;
  if (entry.virtual_address >= image_size) return {};
  std::uint32_t mapped = std::min(entry.raw_size, image_size - entry.virtual_address);
  return {base + entry.virtual_address, mapped};
}

// Signing appends the signature (after padding the file to a multiple of 8
// bytes) behind everything; the archive read from the file ends before it.
std::uint64_t data_end(std::span<const std::uint8_t> headers, const SectionEntry& entry) {
  PeHeaders pe;
  std::string error;
  std::uint64_t end = run.installation.file_size;
  if (read_pe_headers(headers, pe, error) && pe.certificate_size && pe.certificate_position > entry.file_position &&
      pe.certificate_position <= run.installation.file_size)
    end = pe.certificate_position;
  return end;
}

std::uint64_t archive_file_end(std::uint64_t archive_start) {
  std::uint64_t end = run.installation.data_end;
  std::uint64_t wanted = archive_start + static_cast<std::uint32_t>(run.installation.head.archive_size);
  if (end != run.installation.file_size && end > wanted && end - wanted < 8) end = wanted;  // signing's padding
  return end;
}

void apply_settings_to_run() {
  run.modes.automatic = automatic_after_settings(run.settings.automatic_mode_choice, run.modes.automatic, run.modes.silent);
  if (run.modes.silent) run.settings.ProductFlags = forced_for_silent(run.settings.ProductFlags);
  run.strings = run.settings.strings;
  run.placeholders =
      run_placeholders(run.settings, run.modes.name_override, kv::ascii_to_utf16(kv::os_display_name(kv::os_version())));
}

}  // namespace

void version_mismatch(const std::string& version_found) {
  kv::fatal_text(version_mismatch_text(kv::program_title(), version_found));
}

void open_installation_data() {
  run.installation.path = kv::module_file_name();
  kv::UniqueFile file = open_own_file();
  LARGE_INTEGER size{};
  GetFileSizeEx(file.get(), &size);
  run.installation.file_size = static_cast<std::uint64_t>(size.QuadPart);

  std::vector<std::uint8_t> headers(std::min<std::uint64_t>(kMaxPeHeadersSize, run.installation.file_size));
  if (!read_at(file.get(), 0, headers.data(), headers.size())) headers.clear();
  run.installation.section = find_section(headers);
  if (run.installation.section.error) corrupt_installer(run.installation.section.error);
  if (!run.installation.section.found) kv::fatal_text(kNoDataMessage);
  const SectionEntry& entry = run.installation.section.entry;
  if (entry.file_position >= run.installation.file_size) corrupt_installer(10);

  run.installation.data_end = data_end(headers, entry);
  run.installation.in_image = section_in_image(entry);
  OpenedSection opened = open_section(run.installation.in_image);
  if (opened.version_mismatch) version_mismatch(opened.version_found);
  if (opened.error) corrupt_installer(opened.error);
  run.installation.head = opened.head;
  // Known as soon as the head is: the settings' own errors end with the
  // code the author chose.
  run.deployment_exit_codes = run.installation.head.ProductFlags2 & flags2::kDeploymentExitCodes;
  run.installation.archive_offset = opened.archive_offset;

  int error = read_settings(opened.settings_stream, run.settings, [&](Settings& s) {
    // The background window would be made here; its look comes with the
    // wizard. The checksum of the whole stream is due at this point.
    return check_settings_checksum(opened.settings_stream, opened.head.settings_key);
  });
  if (error) {
    // Text 13 of a table that was read completely may replace the message;
    // a stream that failed before its table has none.
    corrupt_installer(error);
  }
  apply_settings_to_run();
  ContainerProgress quiet;
  open_archive(quiet);
}

void open_archive(ContainerProgress& progress) {
  if (!run.installation.archive.empty()) {
    // Summed when the settings were read; the bytes lie in the read-only
    // image or in our own copy, so the run only shows the steps again.
    if (int error = verify_archive(run.installation.archive, run.installation.head, &progress, ArchiveChecksum::known_good))
      corrupt_installer(error);
    return;
  }
  if (run.settings.archive_from_file) {
    std::uint64_t start = run.installation.section.entry.file_position + run.installation.archive_offset;
    ArchiveInFile where = locate_archive_in_file(archive_file_end(start), run.installation.section.entry.file_position,
                                                 run.installation.archive_offset, run.installation.head);
    if (where.error) corrupt_installer(where.error);
    run.installation.archive_copy.resize(static_cast<std::size_t>(where.length));
    kv::UniqueFile file = open_own_file();
    if (!read_at(file.get(), where.position, run.installation.archive_copy.data(), run.installation.archive_copy.size()))
      kv::fatal_text(archive_read_failure_text(static_cast<std::int64_t>(where.length),
                                               static_cast<std::int64_t>(where.position)));
    run.installation.archive = run.installation.archive_copy;
  } else {
    ArchiveInSection where =
        locate_archive_in_section(run.installation.in_image, run.installation.head, run.installation.archive_offset);
    if (where.error) corrupt_installer(where.error);
    run.installation.archive = where.bytes;
  }
  if (int error = verify_archive(run.installation.archive, run.installation.head, &progress)) corrupt_installer(error);
}

}  // namespace setup
