#include <windows.h>

#include <algorithm>

#include "uninstall_data_file.h"
#include "win_handles.h"

namespace uninstall {
namespace {

// Larger files are not uninstall data; refusing them keeps a damaged file
// from exhausting memory.
constexpr LONGLONG kLargestImage = 256LL * 1024 * 1024;

}  // namespace

bool write_uninstall_data(const UninstallData& data, const std::u16string& path) {
  std::string image = build_uninstall_image(data);
  kv::UniqueFile file(
      CreateFileW(kv::as_wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  std::size_t done = 0;
  while (done < image.size()) {
    DWORD written = 0;
    DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(image.size() - done, 1 << 20));
    if (!WriteFile(file.get(), image.data() + done, chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    done += written;
  }
  return true;
}

std::uint32_t read_uninstall_data(const std::u16string& path, UninstallData& data) {
  kv::UniqueFile file(CreateFileW(kv::as_wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return GetLastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return GetLastError();
  if (size.QuadPart > kLargestImage) return ERROR_FILE_TOO_LARGE;
  std::string image(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < image.size()) {
    DWORD read = 0;
    if (!ReadFile(file.get(), image.data() + done, static_cast<DWORD>(image.size() - done), &read, nullptr))
      return GetLastError();
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  image.resize(done);
  data = parse_uninstall_image(image);
  return ERROR_SUCCESS;
}

}  // namespace uninstall
