#include "file_system_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "overwrite_decision.h"  // time_valid
#include "path_variables_resolve.h"
#include "text.h"
#include "win_handles.h"

namespace engine {


bool drive_present(const std::u16string& path) {
  std::u16string drive = drive_of(path, true);
  if (drive.empty()) return true;  // a network or relative path
  return (GetLogicalDrives() >> (drive[0] - u'A')) & 1;
}

std::optional<setup::DateTimeRecord> entry_time_of(const FILETIME& time) {
  SYSTEMTIME utc;
  if (!FileTimeToSystemTime(&time, &utc)) return std::nullopt;
  return setup::DateTimeRecord{utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond};
}


bool to_file_time(const setup::DateTimeRecord& time, FILETIME& out) {
  auto in_word = [](std::int32_t v) { return v >= 0 && v <= 0xFFFF; };
  if (!in_word(time.year) || !in_word(time.month) || !in_word(time.day) || !in_word(time.hour) ||
      !in_word(time.minute) || !in_word(time.second))
    return false;
  SYSTEMTIME system{};
  system.wYear = WORD(time.year);
  system.wMonth = WORD(time.month);
  system.wDay = WORD(time.day);
  system.wHour = WORD(time.hour);
  system.wMinute = WORD(time.minute);
  system.wSecond = WORD(time.second);
  return SystemTimeToFileTime(&system, &out);
}

// Once a handle has set the times, the system no longer changes them for
// its writes, so the time may be set before or after the data.
void set_entry_time(HANDLE file, const setup::DateTimeRecord& time) {
  FILETIME file_time;
  if (time_valid(time) && to_file_time(time, file_time)) SetFileTime(file, &file_time, nullptr, &file_time);
}

// One call for the whole data in practice; the loop only guards against
// short writes.
bool write_all(HANDLE file, std::span<const std::uint8_t> data) {
  while (!data.empty()) {
    DWORD written = 0;
    DWORD chunk = DWORD(std::min<std::size_t>(data.size(), 0x40000000));
    if (!WriteFile(file, data.data(), chunk, &written, nullptr)) return false;
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data = data.subspan(written);
  }
  return true;
}

std::optional<std::u16string> file_version_text(const std::u16string& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(kv::as_wide(path), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<std::uint8_t> block(size);
  if (!GetFileVersionInfoW(kv::as_wide(path), 0, size, block.data())) return std::nullopt;

  // The resource's own language first, then the usual English tables.
  std::vector<DWORD> languages;
  struct Translation {
    WORD language, code_page;
  };
  Translation* translations = nullptr;
  UINT bytes = 0;
  if (VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes))
    for (UINT i = 0; i < bytes / sizeof(Translation); ++i)
      languages.push_back(DWORD(translations[i].language) << 16 | translations[i].code_page);
  for (DWORD fallback : {0x040904B0u, 0x040904E4u, 0x04090000u}) languages.push_back(fallback);

  for (DWORD language : languages) {
    wchar_t query[64];
    std::swprintf(query, 64, L"\\StringFileInfo\\%08lx\\FileVersion", static_cast<unsigned long>(language));
    wchar_t* text = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) && text)
      return kv::from_wide(text);
  }
  return std::nullopt;
}

}  // namespace engine
