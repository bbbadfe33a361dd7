#include "installation_data.h"

#include <windows.h>

#include <vector>

#include "kv_core.h"
#include "corrupt_installer.h"
#include "pe_image.h"
#include "win_handles.h"

namespace setup {
namespace {

constexpr char kNoDataMessage[] =
    "This program performs installations and uninstallations.\r\n"
    "There is no installation data present.\r\n"
    "No uninstallation parameters were specified.\r\n\r\n"
    "You should not delete this program or execute it directly.";

}  // namespace

void open_installation_data() {
  std::u16string path = kv::module_file_name();
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD err = GetLastError();
    int code = err == ERROR_FILE_NOT_FOUND ? kv::kFileNotFound
               : err == ERROR_SHARING_VIOLATION ? kv::kFileLocked
               : err == ERROR_ACCESS_DENIED     ? kv::kFileAccessDenied
                                                : kv::kFileUnknown;
    kv::fatal("Error code 1: The installer could not open itself.\r\nFilename: %s\r\nError #%d: %s",
              kv::utf16_to_ansi(path).c_str(), code, kv::file_error_text(code));
  }
  std::vector<std::uint8_t> head(kMaxPeHeadersSize);
  DWORD got = 0;
  ReadFile(file.get(), head.data(), DWORD(head.size()), &got, nullptr);
  head.resize(got);
  SectionSearch found = find_section(head);
  if (found.error) corrupt_installer(found.error);
  if (!found.found) kv::fatal_text(kNoDataMessage);
}

}  // namespace setup
