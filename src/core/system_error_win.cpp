#include <windows.h>

#include "file_errors.h"
#include "system_error.h"
#include "text.h"
#include "win_handles.h"

namespace kv {

std::u16string system_message(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text = n ? from_wide(buffer, n) : std::u16string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
  return text;
}

std::u16string system_error_text(std::uint32_t code) {
  std::u16string text = system_message(code);
  return text.empty() ? u"Error " + to_u16(code) : text;
}

int file_error_from_system(std::uint32_t code) {
  switch (code) {
    case ERROR_SUCCESS: return kFileOk;
    case ERROR_FILE_NOT_FOUND: return kFileNotFound;
    case ERROR_PATH_NOT_FOUND: return kFileNoDirectory;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return kFileLocked;
    case ERROR_ACCESS_DENIED: return kFileAccessDenied;
    case ERROR_INVALID_NAME: return kFileBadName;
    case ERROR_TOO_MANY_OPEN_FILES: return kFileTooManyOpen;
    case ERROR_NOT_READY: return kFileDeviceNotReady;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return kFileExists;
    case ERROR_WRITE_FAULT:
    case ERROR_DISK_FULL: return kFileWriteFailed;
    case ERROR_READ_FAULT: return kFileReadFailed;
    case ERROR_BAD_NETPATH: return kFileBadNetworkPath;
    case ERROR_INVALID_DRIVE: return kFileNoDrive;
    default: return kFileUnknown;
  }
}

}  // namespace kv
