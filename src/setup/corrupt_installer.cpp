#include "corrupt_installer.h"

#include "kv_core.h"
#include "localised.h"
#include "run_state.h"
#include "text_ids.h"

namespace setup {

std::string corrupt_installer_text(int code, const std::u16string& override_format) {
  static const char kBuiltIn[] =
      "This installation program is corrupt.  This is usually caused by a faulty download, but it can "
      "also be caused by a virus on your computer.  The installation cannot proceed.\r\n\r\n"
      "Delete the corrupted installer (to prevent caching), then re-download it.  If the problem "
      "persists, check your system for viruses.\r\n\r\nError code: %d";
  if (override_format.empty()) return kv::format_limited(kBuiltIn, code);
  // The author's text is not trusted as a format: only its first %d is
  // filled in, every other percent sign stays as written.
  std::string format = kv::utf16_to_ansi(override_format);
  std::size_t at = format.find("%d");
  if (at != std::string::npos) format.replace(at, 2, std::to_string(code));
  return format;
}

void corrupt_installer(int code) { kv::fatal_text(corrupt_installer_text(code, run.strings.raw(text_id::kCorruptInstaller))); }

}  // namespace setup
