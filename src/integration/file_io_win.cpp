#include "file_io_win.h"

#include "file_system_win.h"
#include "win_handles.h"

namespace integration {

DWORD write_whole_file(const std::u16string& path, std::span<const std::uint8_t> bytes) {
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  if (engine::write_all(file.get(), bytes)) return ERROR_SUCCESS;
  DWORD error = GetLastError();
  file.reset();
  DeleteFileW(kv::as_wide(path));
  return error ? error : ERROR_WRITE_FAULT;
}

DWORD write_whole_file(const std::u16string& path, std::string_view bytes) {
  return write_whole_file(path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::optional<std::string> read_whole_file(const std::u16string& path) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char chunk[64 * 1024];
  DWORD n = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &n, nullptr) && n) bytes.append(chunk, n);
  return bytes;
}

}  // namespace integration
