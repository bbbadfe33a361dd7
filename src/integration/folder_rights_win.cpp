#include <windows.h>

#include <cstdio>

#include "folder_rights.h"
#include "install_log.h"
#include "security_win.h"
#include "system_text_win.h"
#include "win_handles.h"

namespace integration {

std::uint32_t grant_folder_rights(const std::u16string& folder) {
  engine::log_wide_pieces({u"Granting rights to directory \"", folder, u"\"..."});
  DWORD attributes = GetFileAttributesW(kv::as_wide(folder));
  DWORD code = ERROR_PATH_NOT_FOUND;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(kv::as_wide(folder),
                       attributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    code = kv::grant_everyone_full_access(folder, true);
  }
  if (code == ERROR_SUCCESS) {
    engine::log_text("OK\r\n");
  } else {
    char head[32];
    std::snprintf(head, sizeof head, "FAILED code %lu: ", static_cast<unsigned long>(code));
    engine::log_text(head);
    engine::log_wide_pieces({system_error_text(code), u"\r\n\r\n"});
  }
  return code;
}

}  // namespace integration
